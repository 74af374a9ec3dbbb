# The editor tests drive a real X server through the X11 harness (Xvfb,
# XTest, pixels read back) and compare the screen with the snapshot
# command's headless paint; the cursor is read back through XFixes.
find_package(X11 REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(KX_EDITOR_TEST_PNG REQUIRED IMPORTED_TARGET libpng)
target_link_libraries(${target} PRIVATE kx_headless_skin kx_host kx_x11_harness X11::Xfixes PkgConfig::KX_EDITOR_TEST_PNG)
