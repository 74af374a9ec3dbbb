# The editor benchmarks run under an X server of their own (the tests' Xvfb
# session), with the pointer driven through XTest.
find_package(X11 REQUIRED)
target_sources(${target} PRIVATE ${KX_SOURCE_DIR}/tests/editor/x_session.cpp)
target_include_directories(${target} PRIVATE ${KX_SOURCE_DIR}/tests/editor)
target_link_libraries(${target} PRIVATE X11::X11 X11::Xtst X11::Xfixes)
