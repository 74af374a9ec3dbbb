target_link_libraries(${target} PRIVATE kx_host)
