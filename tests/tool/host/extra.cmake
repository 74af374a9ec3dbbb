# The tool's host library, tested piece by piece.
target_link_libraries(${target} PRIVATE kx_host)
