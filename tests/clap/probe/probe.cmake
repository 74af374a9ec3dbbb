# kx_clap_probe (clap_probe.cpp): the same song through a .clap file, built
# for Linux and for Windows, so that the two builds of Kelvox2.clap can be
# held against each other. It loads the plug-in at run time.
add_executable(kx_clap_probe ${CMAKE_CURRENT_LIST_DIR}/clap_probe.cpp ${CMAKE_CURRENT_LIST_DIR}/../clap_test_host.cpp)
target_include_directories(kx_clap_probe PRIVATE ${KX_SOURCE_DIR}/tests ${KX_LAYER_INCLUDE_ROOT}/formats)
target_link_libraries(kx_clap_probe PRIVATE ${CMAKE_DL_LIBS})
add_dependencies(kx_clap_probe Kelvox2_clap)
