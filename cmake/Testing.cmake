# Test helpers shared by every test directory.
#
# lintra_add_gtest(<name> SOURCES <files...> LIBS <targets...>)
#   builds a GoogleTest program and registers it with CTest. Each run writes
#   its results as XML into ${CMAKE_BINARY_DIR}/test-results/<name>.xml, from
#   which the summary of `make test` counts the test cases. In the Windows
#   build the program runs under Wine through the cross-compiling emulator,
#   each run in a throw-away prefix of its own.

set(LINTRA_TEST_RESULTS ${CMAKE_BINARY_DIR}/test-results)
file(MAKE_DIRECTORY ${LINTRA_TEST_RESULTS})

if(WIN32)
  # Debian's GoogleTest sources, built with the posix thread-model compilers.
  if(NOT TARGET gtest)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    foreach(t gtest gtest_main gmock gmock_main)
      if(TARGET ${t})
        target_compile_options(${t} PRIVATE -w)
      endif()
    endforeach()
  endif()
  set(LINTRA_GTEST_LIBS gmock gtest)
  set(LINTRA_GTEST_MAIN gtest_main)
else()
  find_package(GTest REQUIRED)
  set(LINTRA_GTEST_LIBS GTest::gmock GTest::gtest)
  set(LINTRA_GTEST_MAIN GTest::gtest_main)
endif()

function(lintra_add_gtest name)
  cmake_parse_arguments(ARG "NO_MAIN" "TIMEOUT" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${LINTRA_GTEST_LIBS})
  if(NOT ARG_NO_MAIN)
    target_link_libraries(${name} PRIVATE ${LINTRA_GTEST_MAIN})
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(WIN32)
    # Console programs, so that Wine hands their output and exit code back.
    target_link_options(${name} PRIVATE -mconsole)
  endif()
  add_test(NAME ${name} COMMAND ${name} ${ARG_ARGS})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "GTEST_OUTPUT=xml:${LINTRA_TEST_RESULTS}/${name}.xml;LINTRA_SOURCE_DIR=${PROJECT_SOURCE_DIR};LINTRA_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()
