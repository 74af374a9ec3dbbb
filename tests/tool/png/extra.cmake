# The tool's decoded pixels are compared with libpng's (as the decoder's tests do).
find_package(PkgConfig REQUIRED)
pkg_check_modules(KX_PNG_TOOL_TEST_LIBPNG REQUIRED IMPORTED_TARGET libpng)
target_sources(${target} PRIVATE ${KX_SOURCE_DIR}/tests/graphics/png_reference.cpp)
target_link_libraries(${target} PRIVATE PkgConfig::KX_PNG_TOOL_TEST_LIBPNG)
