# The reader lives in the tool's host library.
target_link_libraries(${target} PRIVATE kx_host)
