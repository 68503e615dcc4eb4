# pivane_library(NAME SOURCES... [DEPS ...]): one static library per app subsystem.
function(pivane_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  foreach(dep ${ARG_DEPS})
    if(dep MATCHES "^pivane_")
      # Sibling subsystems may not have sources yet; link them once they exist.
      target_link_libraries(${name} PUBLIC $<TARGET_NAME_IF_EXISTS:${dep}>)
    else()
      target_link_libraries(${name} PUBLIC ${dep})
    endif()
  endforeach()
endfunction()

# pivane_test(NAME SOURCES... [DEPS ...] [LABELS ...]): a GoogleTest program whose cases CTest
# runs one by one. LABELS thread marks suites that scripts/test.sh --tsan runs.
function(pivane_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;ENV;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  foreach(dep ${ARG_DEPS})
    target_link_libraries(${name} PRIVATE $<TARGET_NAME_IF_EXISTS:${dep}>)
  endforeach()
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock GTest::gtest_main)
  # Properties are set by a script that runs after discovery: handed to gtest_discover_tests,
  # the list of variables in ENVIRONMENT is flattened, so only the first one arrives and every
  # later property (TIMEOUT, LABELS) pairs up wrongly.
  # Suites that draw text meet fontconfig's lifetime caches; LeakSanitizer skips those only.
  set(test_env "PIVANE_HOME=${PIVANE_PROGRAM_DIR}/" "PIVANE_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
               "GSETTINGS_BACKEND=memory" "GDK_GL=disable"
               "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/gui/lsan.supp" ${ARG_ENV})
  set(label_properties "")
  if(ARG_LABELS)
    set(label_properties " LABELS \"${ARG_LABELS}\"")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 TEST_LIST ${name}_TESTS)
  set(properties_script "${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake")
  file(WRITE "${properties_script}"
       "if(${name}_TESTS)\n"
       "  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT \"${test_env}\" TIMEOUT 120${label_properties})\n"
       "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${properties_script}")
endfunction()

# pivane_fuzz(NAME SOURCE DEPS... CORPUS dir): a libFuzzer target. Without PIVANE_FUZZ it is built
# with a small driver that feeds every file of its seed corpus once, and the suite runs it.
function(pivane_fuzz name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  if(PIVANE_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    # New inputs go to the first folder, a scratch one in the build tree; the seeds stay as they are.
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz/${name}-found)
    # PIVANE_FUZZ_SECONDS sets the run length; libFuzzer bounds it, so ctest need not.
    add_test(NAME ${name} COMMAND sh ${CMAKE_SOURCE_DIR}/tests/fuzz/run_fuzzer.sh
      $<TARGET_FILE:${name}> ${CMAKE_BINARY_DIR}/fuzz/${name}-found ${ARG_CORPUS})
    set(fuzz_timeout 100000)
  else()
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fuzz/CorpusDriver.cpp)
    add_test(NAME ${name} COMMAND ${name} ${ARG_CORPUS})
    set(fuzz_timeout 120)
  endif()
  set_property(GLOBAL APPEND PROPERTY PIVANE_FUZZ_TARGETS ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${fuzz_timeout}
    ENVIRONMENT "PIVANE_HOME=${PIVANE_PROGRAM_DIR}/")
endfunction()

# pivane_folder_library(NAME DEPS...): a static library of every .cpp in the current folder.
# Nothing is built while the folder holds no source yet.
function(pivane_folder_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    pivane_library(${name} SOURCES ${sources} DEPS ${ARGN})
  endif()
endfunction()
