# The editor window on Linux: Xlib, and MIT-SHM from libXext for copying the
# canvas to the screen.
if(NOT WIN32)
  find_package(X11 REQUIRED)
  target_link_libraries(kx_core PUBLIC X11::X11 X11::Xext)
endif()
