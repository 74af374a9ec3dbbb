# The decode benchmark runs libpng side by side with our decoder and uses the
# tests' libpng helpers to make its image.
find_package(PkgConfig REQUIRED)
pkg_check_modules(KX_BENCH_LIBPNG REQUIRED IMPORTED_TARGET libpng)
target_sources(${target} PRIVATE ${KX_SOURCE_DIR}/tests/graphics/png_reference.cpp)
target_include_directories(${target} PRIVATE ${KX_SOURCE_DIR}/tests/graphics)
target_link_libraries(${target} PRIVATE PkgConfig::KX_BENCH_LIBPNG)
