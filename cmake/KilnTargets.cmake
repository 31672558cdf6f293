# Compile settings shared by the project's own targets, and the test helper.

add_library(kiln_settings INTERFACE)
set(c_or_cxx "$<COMPILE_LANGUAGE:C,CXX>")
target_compile_options(kiln_settings INTERFACE $<${c_or_cxx}:-Wall -Wextra -Werror>)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # The system's texts are Shift-JIS at run time; sources stay UTF-8.
  target_compile_options(kiln_settings INTERFACE $<${c_or_cxx}:-finput-charset=UTF-8 -fexec-charset=CP932>)
endif()
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  # Single-precision math must round the same on both architectures (no x87 excess precision).
  target_compile_options(kiln_settings INTERFACE $<${c_or_cxx}:-msse2 -mfpmath=sse>)
endif()
if(WIN32)
  target_compile_definitions(kiln_settings INTERFACE
    _WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX STRICT)
endif()
if(KILN_SANITIZE)
  target_compile_options(kiln_settings INTERFACE
    $<${c_or_cxx}:-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all>)
  target_link_options(kiln_settings INTERFACE -fsanitize=address,undefined)
endif()

# Windows tests need the shared Wine prefix and display; this fixture stops both afterwards.
if(WIN32 AND KILN_REGISTER_TESTS AND CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME wine_shutdown COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --stop)
  set_tests_properties(wine_shutdown PROPERTIES FIXTURES_CLEANUP wine)
endif()

# kiln_test(NAME SOURCES... [LIBS...] [PROPERTIES...]): a GoogleTest program, registered test
# by test with CTest.
function(kiln_test name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gmock GTest::gtest_main kiln_settings)
  if(NOT KILN_REGISTER_TESTS)
    return()
  endif()
  set(props ${arg_PROPERTIES})
  if(WIN32)
    list(APPEND props FIXTURES_REQUIRED wine)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 120 ${props})
endfunction()
