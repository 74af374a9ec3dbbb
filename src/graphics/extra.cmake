# Text on Linux: FreeType renders the glyphs, fontconfig finds the faces.
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
  pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
  target_link_libraries(kx_graphics PUBLIC PkgConfig::FREETYPE PkgConfig::FONTCONFIG)
endif()
