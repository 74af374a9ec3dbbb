# The layers hold: a library sees its own folder and the ones below, so the
# first header of the layer above it does not even exist on its include path.
# One test per boundary compiles a file that includes that header with the
# lower library's include path alone, and passes only when the compiler says
# the header is not there.
set(KX_LAYER_HEADERS
  engine/random.h params/param.h data/tokenizer.h graphics/canvas.h plugin/effect.h
  controls/control.h skin/skin.h editor/editor.h instrument/synth_effect.h formats/clap/clap_abi.h)
set(probe_dir ${CMAKE_CURRENT_BINARY_DIR}/layering)
file(MAKE_DIRECTORY ${probe_dir})
list(LENGTH KX_LAYER_HEADERS count)
math(EXPR last "${count} - 2")
foreach(i RANGE 0 ${last})
  math(EXPR above "${i} + 1")
  list(GET KX_LAYER_HEADERS ${i} lower_header)
  list(GET KX_LAYER_HEADERS ${above} upper_header)
  get_filename_component(lower ${lower_header} DIRECTORY)
  get_filename_component(upper ${upper_header} DIRECTORY)
  string(REGEX REPLACE "/.*" "" upper ${upper})  # formats/<format>/: the layer is formats
  set(probe ${probe_dir}/${lower}_includes_${upper}.cpp)
  file(WRITE ${probe} "#include \"${lower_header}\"\n#include \"${upper_header}\"\n")
  set(words)
  foreach(folder ${lower} ${upper})
    string(SUBSTRING ${folder} 0 1 first)
    string(TOUPPER ${first} first)
    string(SUBSTRING ${folder} 1 -1 rest)
    list(APPEND words ${first}${rest})
  endforeach()
  list(GET words 0 lower_word)
  list(GET words 1 upper_word)
  set(name "layers.${lower_word}CannotInclude${upper_word}")
  add_test(NAME ${name}
    COMMAND ${CMAKE_CXX_COMPILER} -std=c++20 -fsyntax-only -I${KX_LAYER_INCLUDE_ROOT}/${lower} ${probe})
  # GCC and clang word it differently; either names the header above.
  string(REPLACE "." "\\." upper_pattern ${upper_header})
  set_tests_properties(${name} PROPERTIES
    PASS_REGULAR_EXPRESSION "${upper_pattern}: No such file|'${upper_pattern}' file not found"
    FAIL_REGULAR_EXPRESSION "${lower_header}: No such file|'${lower_header}' file not found")
endforeach()
