# The editor tests drive a real X server through XTest and compare the
# screen with the snapshot command's headless paint.
find_package(X11 REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(KX_EDITOR_TEST_PNG REQUIRED IMPORTED_TARGET libpng)
target_link_libraries(${target} PRIVATE kx_headless_skin X11::X11 X11::Xtst X11::Xfixes PkgConfig::KX_EDITOR_TEST_PNG)
