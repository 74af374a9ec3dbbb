# The engine's parts are compared with the same plain model of them that the
# whole-instrument comparison is built on.
target_sources(${target} PRIVATE ${KX_SOURCE_DIR}/tests/reference/reference_voice.cpp)
