# Text on Linux: FreeType renders the glyphs, fontconfig finds the faces.
# On Windows GDI draws the text (USER32's DrawTextA) into a DIB section.
if(WIN32)
  target_link_libraries(kx_graphics PUBLIC gdi32 user32)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
  pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
  target_link_libraries(kx_graphics PUBLIC PkgConfig::FREETYPE PkgConfig::FONTCONFIG)
endif()
