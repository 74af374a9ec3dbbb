# A module with the library-folder lookup in it, loaded by the tests by a
# relative path the way a host may load the plug-in.
add_library(kx_library_probe MODULE
  ${CMAKE_CURRENT_LIST_DIR}/probe/library_directory_probe.cpp
  ${KX_SOURCE_DIR}/src/data/file_access.cpp
  ${KX_SOURCE_DIR}/src/data/linux/file_access.cpp)
target_include_directories(kx_library_probe PRIVATE ${KX_SOURCE_DIR}/src)
target_link_libraries(kx_library_probe PRIVATE ${CMAKE_DL_LIBS})
set_target_properties(kx_library_probe PROPERTIES PREFIX ""
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/probe)
add_dependencies(${target} kx_library_probe)
target_compile_definitions(${target} PRIVATE KX_LIBRARY_PROBE_PATH="$<TARGET_FILE:kx_library_probe>")
