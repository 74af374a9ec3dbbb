# Small VST 2.4 instruments for the validate tests: one clean, and one for
# each deliberate fault the battery must report (numbered as in the source).
find_package(X11 REQUIRED)
set(KX_FIXTURES clean nan_at_96k crash_block_of_one heap_per_block no_round_trip crash_second_close long_display
    hang_at_8k denormal_tail_64 no_indexed_names)
set(fault 0)
foreach(name ${KX_FIXTURES})
  set(fixture fixture_${name})
  add_library(${fixture} MODULE ${CMAKE_CURRENT_LIST_DIR}/fixtures/fixture_plugin.cpp)
  set_target_properties(${fixture} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fixtures)
  target_compile_definitions(${fixture} PRIVATE FIXTURE_FAULT=${fault})
  target_include_directories(${fixture} PRIVATE ${KX_SOURCE_DIR}/src)
  target_link_libraries(${fixture} PRIVATE X11::X11)
  add_dependencies(test_validate ${fixture})
  math(EXPR fault "${fault} + 1")
endforeach()
target_compile_definitions(test_validate PRIVATE KX_FIXTURE_DIR="${CMAKE_BINARY_DIR}/fixtures")
# The battery's pieces are tested on their own too.
target_link_libraries(test_validate PRIVATE kx_validate)
