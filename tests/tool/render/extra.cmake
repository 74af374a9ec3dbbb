target_link_libraries(${target} PRIVATE kx_host)
# The factory bank as the build writes it.
target_compile_definitions(${target} PRIVATE KX_FACTORY_BANK="${CMAKE_BINARY_DIR}/presets/factory.fxb")
add_dependencies(${target} factory-bank)
