# The CLAP tests load Kelvox2.clap through their own small host and compare it
# with the VST 2.4 module through the tool's host.
target_include_directories(${target} PRIVATE ${KX_LAYER_INCLUDE_ROOT}/formats)
target_link_libraries(${target} PRIVATE kx_host ${CMAKE_DL_LIBS})
target_compile_definitions(${target} PRIVATE KX_CLAP_PATH="$<TARGET_FILE:Kelvox2_clap>")
add_dependencies(${target} Kelvox2_clap)
# The gui tests run a private Xvfb and play the host's window.
target_link_libraries(${target} PRIVATE kx_x11_harness)
# The probe the Windows build's Kelvox2.clap is compared with (tests/windows).
if(NOT TARGET kx_clap_probe)
  include(${CMAKE_CURRENT_LIST_DIR}/probe/probe.cmake)
endif()
# Presets: the factory bank as the build writes it, to compare with.
target_compile_definitions(${target} PRIVATE KX_FACTORY_BANK="${CMAKE_BINARY_DIR}/presets/factory.fxb")
add_dependencies(${target} factory-bank)
# A host of Debian's (Qtractor's scanner) cannot load a sanitized library.
if(KX_SANITIZE OR KX_TSAN)
  target_compile_definitions(${target} PRIVATE KX_SANITIZED=1)
endif()
