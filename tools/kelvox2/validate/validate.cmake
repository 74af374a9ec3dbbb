# kelvox2 validate: an object library, so that the tool and the tests get the
# same objects (among them the heap call counter, which replaces the
# allocation functions of the executable it is linked into).
find_package(Threads REQUIRED)
file(GLOB KX_VALIDATE_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_library(kx_validate OBJECT ${KX_VALIDATE_SOURCES})
# Of src/ it sees what the host library sees (the plug-in interface).
target_include_directories(kx_validate PUBLIC ${CMAKE_CURRENT_LIST_DIR}/../..)
target_link_libraries(kx_validate PUBLIC kx_host ${CMAKE_DL_LIBS} kx_x11_harness Threads::Threads)
target_link_libraries(kelvox2 PRIVATE kx_validate)
