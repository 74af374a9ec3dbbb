# kelvox2 validate: its sources go into the tool itself, because the heap
# call counter replaces the allocation functions of the executable.
find_package(X11 REQUIRED)
find_package(Threads REQUIRED)
if(NOT TARGET X11::Xtst)
  message(FATAL_ERROR "kelvox2 validate needs the XTest library (libxtst-dev)")
endif()
file(GLOB KX_VALIDATE_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
target_sources(kelvox2 PRIVATE ${KX_VALIDATE_SOURCES})
target_link_libraries(kelvox2 PRIVATE X11::X11 X11::Xtst Threads::Threads)
