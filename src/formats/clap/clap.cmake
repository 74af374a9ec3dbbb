# Kelvox2.clap: the CLAP adapter over the same effect, linked as the VST 2.4
# module is (its own runtime, one export: clap_entry).
file(GLOB KX_CLAP_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_library(Kelvox2_clap MODULE ${KX_CLAP_SOURCES})
set_target_properties(Kelvox2_clap PROPERTIES PREFIX "" OUTPUT_NAME Kelvox2 SUFFIX .clap
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_include_directories(Kelvox2_clap PRIVATE ${KX_LAYER_INCLUDE_ROOT}/formats)
target_link_libraries(Kelvox2_clap PRIVATE kx_core)
target_compile_definitions(Kelvox2_clap PRIVATE KX_CLAP_VERSION="${PROJECT_VERSION}")
# The factory sounds' text, built in: the presets the discovery factory lists.
set(KX_CLAP_FACTORY_TEXT ${CMAKE_CURRENT_BINARY_DIR}/clap_factory_presets.cpp)
add_custom_command(OUTPUT ${KX_CLAP_FACTORY_TEXT}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${KX_SOURCE_DIR}/presets/factory.txt -DOUTPUT=${KX_CLAP_FACTORY_TEXT}
          -DNAME=factory.txt -DSYMBOL=kFactoryPresets -P ${KX_EMBED_SCRIPT}
  DEPENDS ${KX_SOURCE_DIR}/presets/factory.txt ${KX_EMBED_SCRIPT}
  COMMENT "Embedding the factory presets for Kelvox2.clap"
  VERBATIM)
target_sources(Kelvox2_clap PRIVATE ${KX_CLAP_FACTORY_TEXT})
if(WIN32)
  target_link_options(Kelvox2_clap PRIVATE -Wl,--no-undefined $<$<CONFIG:Release,MinSizeRel>:-s>)
else()
  target_link_options(Kelvox2_clap PRIVATE -Wl,--version-script=${CMAKE_CURRENT_LIST_DIR}/exports.map)
  if(NOT KX_SANITIZE AND NOT KX_TSAN)
    target_link_options(Kelvox2_clap PRIVATE -Wl,--no-undefined -static-libstdc++ -static-libgcc)
    target_sources(Kelvox2_clap PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/plugin/entry/private_runtime.cpp)
  endif()
  set_property(TARGET Kelvox2_clap APPEND PROPERTY LINK_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/exports.map)
endif()

# Hosts look for CLAP plug-ins in <prefix>/lib/clap (and ~/.clap, $CLAP_PATH).
install(TARGETS Kelvox2_clap LIBRARY DESTINATION lib/clap
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
