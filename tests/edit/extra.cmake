# The edit tests run the tool under the editor tests' private Xvfb, read its
# window's pixels and pictures back, and test the replay script as is.
find_package(X11 REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(KX_EDIT_TEST_PNG REQUIRED IMPORTED_TARGET libpng)
target_sources(${target} PRIVATE
  ${KX_SOURCE_DIR}/tests/editor/x_session.cpp
  ${KX_SOURCE_DIR}/tools/kelvox2/edit/replay_script.cpp)
target_include_directories(${target} PRIVATE ${KX_SOURCE_DIR}/tools/kelvox2)
target_link_libraries(${target} PRIVATE kx_host X11::X11 X11::Xtst X11::Xfixes PkgConfig::KX_EDIT_TEST_PNG)
