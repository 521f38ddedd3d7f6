# zc_add_gtest(NAME SOURCES... LIBS ...)
# One GoogleTest executable, its cases registered with CTest one by one.
include(GoogleTest OPTIONAL)
function(zc_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "ZC_BIN_DIR=${CMAKE_BINARY_DIR}/bin;ZC_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()

# zc_add_fuzz(NAME SOURCES... LIBS ...)
# A libFuzzer target; its seed corpus lives in fuzz/corpus/NAME.
function(zc_add_fuzz name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
endfunction()

find_package(Threads REQUIRED)
