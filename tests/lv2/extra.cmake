# The LV2 adapter's tests drive the bundle in build/Kelvox2.lv2 and compare
# it with the VST 2.4 library; the port mapping is the adapter's own.
target_sources(${target} PRIVATE ${KX_SOURCE_DIR}/src/formats/lv2/lv2_ports.cpp)
target_include_directories(${target} PRIVATE ${KX_LAYER_INCLUDE_ROOT}/lv2 ${KX_LV2_INCLUDE_DIR})
target_compile_definitions(${target} PRIVATE KX_LV2_BUNDLE="${CMAKE_BINARY_DIR}/Kelvox2.lv2")
add_dependencies(${target} lv2-bundle)

# The adapter stands above every layer: the instrument's include path does
# not even have it.
set(probe ${CMAKE_CURRENT_BINARY_DIR}/layering/instrument_includes_lv2.cpp)
file(WRITE ${probe} "#include \"instrument/synth_effect.h\"\n#include \"formats/lv2/lv2_ports.h\"\n")
add_test(NAME layers.InstrumentCannotIncludeLv2Adapter
  COMMAND ${CMAKE_CXX_COMPILER} -std=c++20 -fsyntax-only -I${KX_LAYER_INCLUDE_ROOT}/instrument ${probe})
set_tests_properties(layers.InstrumentCannotIncludeLv2Adapter PROPERTIES
  PASS_REGULAR_EXPRESSION "formats/lv2/lv2_ports\\.h: No such file|'formats/lv2/lv2_ports\\.h' file not found"
  FAIL_REGULAR_EXPRESSION "instrument/synth_effect\\.h: No such file")

# The editor test embeds the LV2 editor in a real X server.
target_link_libraries(${target} PRIVATE kx_headless_skin)
target_link_libraries(${target} PRIVATE kx_x11_harness)

# The presets test reads the VST bank file with the tool's reader.
target_link_libraries(${target} PRIVATE kx_host)
target_compile_definitions(${target} PRIVATE KX_BINARY_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(${target} factory-bank)

# Hosts of Debian's (jalv, Ardour) cannot load a sanitized library: they
# run the release build's bundle only.
if(KX_SANITIZE OR KX_TSAN)
  target_compile_definitions(${target} PRIVATE KX_SANITIZED=1)
else()
  # The editor in jalv's own window, as a user opens it.
  add_test(NAME lv2.JalvShowsTheEditorEmbeddedAndItAnswersThePointer
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/lv2/jalv_editor.sh ${CMAKE_BINARY_DIR}/Kelvox2.lv2
            ${KX_SOURCE_DIR}/scripts/editor-gestures.py ${CMAKE_CURRENT_BINARY_DIR}/jalv_editor)
  set_tests_properties(lv2.JalvShowsTheEditorEmbeddedAndItAnswersThePointer PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
endif()
