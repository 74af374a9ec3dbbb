# The engine's parts are compared with the same plain model of them that the
# whole-instrument comparison is built on.
target_sources(${target} PRIVATE ${KX_SOURCE_DIR}/tests/reference/reference_voice.cpp)
# The engine's own functions are checked against MPFR (Linux only).
if(NOT WIN32)
  target_link_libraries(${target} PRIVATE mpfr gmp)
endif()
