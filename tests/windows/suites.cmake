# The Windows test programs, run under wine (scripts/test-windows.sh):
# the platform-neutral suites built from the same sources as on Linux, and
# the tests of the Win32 bindings. GoogleTest is built from the sources that
# Debian ships for libgtest-dev (package googletest).
set(KX_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for Windows")
if(NOT EXISTS ${KX_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${KX_GOOGLETEST_SOURCE} (apt-get install googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
# GoogleTest uses Windows' own threads there, not winpthreads.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${KX_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# Tests run through the emulator; under it a program finds its files by their
# Linux paths (wine's drive Z: is the root).
set(KX_WINE_RUNNER ${KX_SOURCE_DIR}/scripts/wine-run.sh)

# Test files that need what only the Linux build has: the command-line tool,
# libpng as the reference decoder, dlopen, valgrind and /proc. (The tool's
# own tests are in tool/, which is not built here.)
set(KX_LINUX_ONLY_TESTS
  data/file_access_test.cpp
  engine/exact_math_test.cpp
  graphics/png_libpng_test.cpp
  graphics/png_reference.cpp
  plugin/unload_leak_test.cpp)

# One CTest test per program: starting a program under wine costs far more
# than most cases take, so each program runs its cases in one go (the
# output lists them, and scripts/test-windows.sh adds up their counts).
function(kx_windows_test target name)
  set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR ${KX_WINE_RUNNER})
  target_compile_definitions(${target} PRIVATE
    KX_SOURCE_DIR="${KX_SOURCE_DIR}"
    KX_TESTDATA_DIR="${KX_SOURCE_DIR}/testdata")
  add_test(NAME ${name} COMMAND ${target})
endfunction()

foreach(area engine params data graphics skin controls plugin instrument)
  file(GLOB area_sources CONFIGURE_DEPENDS RELATIVE ${KX_SOURCE_DIR}/tests ${KX_SOURCE_DIR}/tests/${area}/*.cpp)
  list(REMOVE_ITEM area_sources ${KX_LINUX_ONLY_TESTS})
  list(TRANSFORM area_sources PREPEND ${KX_SOURCE_DIR}/tests/)
  set(target test_${area})
  add_executable(${target} ${area_sources})
  if(area STREQUAL "engine")
    target_link_libraries(${target} PRIVATE kx_engine GTest::gtest_main GTest::gmock)
    include(${KX_SOURCE_DIR}/tests/engine/extra.cmake)
  else()
    target_link_libraries(${target} PRIVATE kx_core GTest::gtest_main GTest::gmock)
  endif()
  target_include_directories(${target} PRIVATE ${KX_SOURCE_DIR}/tests ${KX_SOURCE_DIR}/tests/${area})
  kx_windows_test(${target} ${area})
endforeach()

# The plug-in against the Linux build's (KX_LINUX_BUILD_DIR, built first).
set(KX_LINUX_BUILD_DIR ${KX_SOURCE_DIR}/build CACHE PATH "The Linux release tree the DLL is compared with")
include(${CMAKE_CURRENT_LIST_DIR}/probe/probe.cmake)
add_test(NAME dll.AnswersAndRendersAsTheLinuxPlugin
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/compare_with_linux.sh ${KX_LINUX_BUILD_DIR} ${KX_WINE_RUNNER}
          $<TARGET_FILE:kx_plugin_probe> $<TARGET_FILE:Kelvox2> ${CMAKE_CURRENT_BINARY_DIR}/probe)

# The Win32 bindings: files, resources (resources.rc), GDI, clock and shell.
enable_language(RC)
add_executable(kx_link_target ${CMAKE_CURRENT_LIST_DIR}/link_target.cpp)
file(GLOB kx_windows_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_test.cpp)
add_executable(test_windows ${kx_windows_tests} ${CMAKE_CURRENT_LIST_DIR}/resources.rc)
target_link_libraries(test_windows PRIVATE kx_core GTest::gtest_main)
target_include_directories(test_windows PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${KX_SOURCE_DIR}/tests/graphics)
target_compile_definitions(test_windows PRIVATE
  KX_PLUGIN_PATH="$<TARGET_FILE:Kelvox2>"
  KX_LINK_TARGET_PATH="$<TARGET_FILE:kx_link_target>")
add_dependencies(test_windows Kelvox2 kx_link_target)
kx_windows_test(test_windows windows)

add_test(NAME dll.ExportsTheEntryAndImportsOnlySystemDlls
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DDLL=$<TARGET_FILE:Kelvox2>
          -P ${CMAKE_CURRENT_LIST_DIR}/check_dll.cmake)

# Kelvox2.clap beside the DLL: the same song renders the same bits as the
# Linux build's .clap, and it exports clap_entry alone.
include(${KX_SOURCE_DIR}/tests/clap/probe/probe.cmake)
add_test(NAME clap.RendersAsTheLinuxClap
  COMMAND sh -c "\"$0\" \"$1\" linux-clap.raw && \"$2\" \"$3\" \"$4\" windows-clap.raw && cmp linux-clap.raw windows-clap.raw"
          ${KX_LINUX_BUILD_DIR}/tests/kx_clap_probe ${KX_LINUX_BUILD_DIR}/Kelvox2.clap
          ${KX_WINE_RUNNER} $<TARGET_FILE:kx_clap_probe> $<TARGET_FILE:Kelvox2_clap>
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_test(NAME clap.ExportsTheEntryAndImportsOnlySystemDlls
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DDLL=$<TARGET_FILE:Kelvox2_clap> -DEXPORTS=clap_entry
          -P ${CMAKE_CURRENT_LIST_DIR}/check_dll.cmake)
