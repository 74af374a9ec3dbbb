# The load-and-unload loop that the leak test runs under valgrind.
add_executable(kx_load_unload ${CMAKE_CURRENT_SOURCE_DIR}/plugin/load_unload/load_unload.cpp)
target_include_directories(kx_load_unload PRIVATE ${KX_SOURCE_DIR}/src)
target_link_libraries(kx_load_unload PRIVATE ${CMAKE_DL_LIBS})
target_compile_definitions(${target} PRIVATE KX_LOAD_UNLOAD_PATH="$<TARGET_FILE:kx_load_unload>")
add_dependencies(${target} kx_load_unload)
# A sanitizer's runtime and valgrind do not go together.
if(KX_SANITIZE OR KX_TSAN)
  target_compile_definitions(${target} PRIVATE KX_NO_VALGRIND=1)
endif()
