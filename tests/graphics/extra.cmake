# The PNG tests compare the decoder's pixels with libpng's.
find_package(PkgConfig REQUIRED)
pkg_check_modules(KX_TEST_LIBPNG REQUIRED IMPORTED_TARGET libpng)
target_link_libraries(${target} PRIVATE PkgConfig::KX_TEST_LIBPNG)
