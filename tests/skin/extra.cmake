# The tool tests read the snapshots back with libpng.
find_package(PkgConfig REQUIRED)
pkg_check_modules(KX_SKIN_TEST_PNG REQUIRED IMPORTED_TARGET libpng)
target_link_libraries(${target} PRIVATE PkgConfig::KX_SKIN_TEST_PNG)
