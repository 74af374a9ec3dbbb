target_link_libraries(${target} PRIVATE kx_host)
if(KX_SANITIZE)
  target_compile_definitions(${target} PRIVATE KX_SANITIZED=1)
endif()
