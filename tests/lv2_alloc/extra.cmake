# As the LV2 tests: the bundle, its port mapping and its include paths.
target_sources(${target} PRIVATE ${KX_SOURCE_DIR}/src/formats/lv2/lv2_ports.cpp)
target_include_directories(${target} PRIVATE ${KX_LAYER_INCLUDE_ROOT}/lv2 ${KX_LV2_INCLUDE_DIR})
target_compile_definitions(${target} PRIVATE KX_LV2_BUNDLE="${CMAKE_BINARY_DIR}/Kelvox2.lv2")
add_dependencies(${target} lv2-bundle)
