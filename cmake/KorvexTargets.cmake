# Helpers shared by every target of the project.

# Adds each listed directory that already has its own CMakeLists.txt.
function(korvex_add_subdirectories)
  foreach(dir IN LISTS ARGN)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

function(korvex_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(KORVEX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# korvex_library(NAME SOURCES ... [DEPS ...]): a static library whose public headers sit
# next to its sources; includes are written from src/ ("core/support/paths.h").
function(korvex_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT ARG_SOURCES)
    # A library whose first source is still being written: headers only for now.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  korvex_warnings(${name})
endfunction()

# korvex_test(NAME SOURCES ... [DEPS ...]): one GoogleTest binary registered with CTest.
# Discovery runs just before the tests, so it sees each test's environment.
function(korvex_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT ARG_SOURCES)
    return()  # a test folder whose first test is still being written
  endif()
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    KORVEX_SHARED_TESTDATA="${KORVEX_SHARED_TESTDATA}"
    KORVEX_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    KORVEX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  korvex_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# korvex_fuzz_target(NAME SOURCES ... [DEPS ...] [SEEDS dir]): a libFuzzer entry point
# (LLVMFuzzerTestOneInput). Normally built with a small driver that replays the files of
# its seed folder as a CTest, so the target keeps compiling and its seeds keep passing;
# with -DKORVEX_FUZZ=ON (clang, see scripts/fuzz) it is linked with libFuzzer itself.
function(korvex_fuzz_target name)
  cmake_parse_arguments(ARG "" "SEEDS" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-bin)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  korvex_warnings(${name})
  if(KORVEX_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  else()
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
    if(ARG_SEEDS AND KORVEX_BUILD_TESTS)
      add_test(NAME ${name}.replay COMMAND ${name} ${ARG_SEEDS})
    endif()
  endif()
endfunction()
