# The edit tests run the tool under a private Xvfb of the X11 harness, read
# its window's pixels and pictures back, and test the replay script as is.
find_package(PkgConfig REQUIRED)
pkg_check_modules(KX_EDIT_TEST_PNG REQUIRED IMPORTED_TARGET libpng)
target_sources(${target} PRIVATE ${KX_SOURCE_DIR}/tools/kelvox2/edit/replay_script.cpp)
target_include_directories(${target} PRIVATE ${KX_SOURCE_DIR}/tools/kelvox2)
target_link_libraries(${target} PRIVATE kx_host kx_x11_harness PkgConfig::KX_EDIT_TEST_PNG)
