# The editor benchmarks run under an X server of their own, with the pointer
# driven through XTest (the X11 harness).
target_link_libraries(${target} PRIVATE kx_x11_harness)
