# The edit tests drive the tool under their own Xvfb, talk X to its window
# and read its pictures back with libpng; the replay script is tested as is.
find_package(X11 REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(KX_EDIT_TEST_PNG REQUIRED IMPORTED_TARGET libpng)
target_sources(${target} PRIVATE ${KX_SOURCE_DIR}/tools/kelvox2/edit/replay_script.cpp)
target_include_directories(${target} PRIVATE ${KX_SOURCE_DIR}/tools/kelvox2)
target_link_libraries(${target} PRIVATE kx_host X11::X11 PkgConfig::KX_EDIT_TEST_PNG)
