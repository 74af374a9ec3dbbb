# The snapshot tests read the pictures back with libpng.
find_package(PkgConfig REQUIRED)
pkg_check_modules(KX_SKIN_TEST_PNG REQUIRED IMPORTED_TARGET libpng)
target_link_libraries(${target} PRIVATE kx_host PkgConfig::KX_SKIN_TEST_PNG)
# The tool's PNG writer is tested directly, on outputs a run can't safely reach.
target_sources(${target} PRIVATE ${KX_SOURCE_DIR}/tools/kelvox2/skin_session.cpp)
