# kx_plugin_probe (plugin_probe.cpp): the same host-side probe built for
# Linux and for Windows, so that the two builds of the plug-in can be held
# against each other. It loads the plug-in at run time and links none of it.
if(WIN32)
  set(kx_probe_platform win32)
else()
  set(kx_probe_platform linux)
endif()
add_executable(kx_plugin_probe
  ${CMAKE_CURRENT_LIST_DIR}/plugin_probe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/${kx_probe_platform}/plugin_loader.cpp)
target_include_directories(kx_plugin_probe PRIVATE ${CMAKE_CURRENT_LIST_DIR}/.. ${KX_SOURCE_DIR}/src)
target_link_libraries(kx_plugin_probe PRIVATE ${CMAKE_DL_LIBS})
add_dependencies(kx_plugin_probe Kelvox2)
