# The editor window on Linux: Xlib, MIT-SHM from libXext for copying the
# canvas to the screen, and a thread that watches the text box's grabs. On
# Windows: USER32 and GDI32, links through SHELL32.
if(WIN32)
  target_link_libraries(kx_editor PUBLIC shell32 user32 gdi32)
else()
  find_package(X11 REQUIRED)
  find_package(Threads REQUIRED)
  target_link_libraries(kx_editor PUBLIC X11::X11 X11::Xext Threads::Threads)
endif()
