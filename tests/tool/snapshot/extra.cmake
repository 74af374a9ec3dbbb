# The snapshot tests read the pictures back with libpng.
find_package(PkgConfig REQUIRED)
pkg_check_modules(KX_SKIN_TEST_PNG REQUIRED IMPORTED_TARGET libpng)
# The tool's PNG writer (in its host library) is tested directly, on outputs
# a run can't safely reach.
target_link_libraries(${target} PRIVATE kx_host PkgConfig::KX_SKIN_TEST_PNG)
