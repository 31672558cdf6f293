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
  # 32-bit heaps align blocks to 8 bytes only, while GCC assumes 16 for a plain new: with this,
  # every type aligned beyond 8 (the SFMT state) goes through the aligned operator new.
  target_compile_options(kiln_settings INTERFACE $<$<COMPILE_LANGUAGE:CXX>:-faligned-new=8>)
endif()
if(WIN32)
  target_compile_definitions(kiln_settings INTERFACE
    _WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX STRICT)
  # No link time in the headers: the same sources give the same program bytes (tools/release).
  target_link_options(kiln_settings INTERFACE -Wl,--no-insert-timestamp)
endif()
if(KILN_SANITIZE)
  target_compile_options(kiln_settings INTERFACE
    $<${c_or_cxx}:-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all>)
  target_link_options(kiln_settings INTERFACE -fsanitize=address,undefined)
endif()

if(KILN_FUZZ)
  # libFuzzer coverage for everything of ours; sanitizers catch what the fuzzers provoke.
  target_compile_options(kiln_settings INTERFACE
    $<${c_or_cxx}:-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                  -fno-sanitize-recover=all>)
  target_link_options(kiln_settings INTERFACE -fsanitize=address,undefined)
endif()

# Windows tests need the shared Wine prefix and display; this fixture stops both afterwards.
if(WIN32 AND KILN_REGISTER_TESTS AND CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME wine_shutdown COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --stop)
  set_tests_properties(wine_shutdown PROPERTIES FIXTURES_CLEANUP wine)
  # System files a test moved aside go back before the tests and after them, however that
  # test ended (tests/support/system_files.h); the last one runs before the server stops.
  add_test(NAME restore_system_files_before
           COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:restore_system_files>)
  add_test(NAME restore_system_files_after
           COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:restore_system_files>)
  set_tests_properties(restore_system_files_before PROPERTIES FIXTURES_SETUP wine)
  set_tests_properties(restore_system_files_after PROPERTIES FIXTURES_CLEANUP wine)
  set_tests_properties(wine_shutdown PROPERTIES DEPENDS restore_system_files_after)
endif()

# kiln_library(NAME [SOURCES...] [WINDOWS_SOURCES...] [DEPENDS...] [WINDOWS_DEPENDS...]
#              [PRIVATE...]): the one static library of a folder. DEPENDS names only what lies
# below the folder, so a call into a higher folder fails to link. Host builds take the
# platform-neutral SOURCES alone; a folder with none there becomes an interface library, so
# that what depends on it still configures.
function(kiln_library name)
  cmake_parse_arguments(arg "" "" "SOURCES;WINDOWS_SOURCES;DEPENDS;WINDOWS_DEPENDS;PRIVATE" ${ARGN})
  set(sources ${arg_SOURCES})
  set(depends ${arg_DEPENDS})
  if(WIN32)
    list(APPEND sources ${arg_WINDOWS_SOURCES})
    list(APPEND depends ${arg_WINDOWS_DEPENDS})
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${depends} kiln_settings PRIVATE ${arg_PRIVATE})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${depends} kiln_settings)
  endif()
endfunction()

# kiln_test(NAME SOURCES... [LIBS...] [PROPERTIES...]): a GoogleTest program, registered test
# by test with CTest. Property values must be single words (lists do not survive the test
# discovery). Windows tests that need the desktop to themselves (the foreground window, the X
# keyboard focus, the launcher's single-instance mutex) take PROPERTIES RESOURCE_LOCK desktop.
function(kiln_test name)
  if(KILN_FUZZ)
    return()  # the fuzzing build runs only the fuzzers
  endif()
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

# kiln_fuzz_target(NAME SOURCES... LIBS... CORPUS folder): a fuzz target of platform-neutral
# code (host builds only). With KILN_FUZZ (clang) it is a libFuzzer program run for
# KILN_FUZZ_SECONDS as a test, starting from the corpus folder (never written to); otherwise
# the corpus is replayed once through it. Every reader's memory is bounded by what its input
# can expand to, so 512 MiB is plenty: a run that needs more is a bug to fail on, not to wait out.
set(KILN_FUZZ_SECONDS 10 CACHE STRING "Seconds each fuzz target runs in the fuzzing build")
function(kiln_fuzz_target name)
  if(WIN32)
    return()
  endif()
  cmake_parse_arguments(arg "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(KILN_FUZZ)
    add_executable(${name} ${arg_SOURCES})
    target_link_libraries(${name} PRIVATE ${arg_LIBS} kiln_settings)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
    file(MAKE_DIRECTORY ${work})
    add_test(NAME fuzz_${name}
             COMMAND ${name} -max_total_time=${KILN_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=512
                     -print_final_stats=1 ${work} ${arg_CORPUS})
    # libsquish parallelises with OpenMP, whose idle threads spin between the decoders' short
    # calls: one thread keeps the image targets' time on the decoders. AddressSanitizer keeps
    # 256 MiB of freed blocks by default; 64 leaves the limit to what the readers take.
    set_tests_properties(fuzz_${name} PROPERTIES TIMEOUT 600
                         ENVIRONMENT "OMP_NUM_THREADS=1;ASAN_OPTIONS=quarantine_size_mb=64")
  else()
    add_executable(${name} ${arg_SOURCES} ${PROJECT_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
    target_link_libraries(${name} PRIVATE ${arg_LIBS} kiln_settings)
    if(KILN_REGISTER_TESTS)
      add_test(NAME corpus_${name} COMMAND ${name} ${arg_CORPUS})
    endif()
  endif()
endfunction()

# kiln_benchmark(NAME SOURCES... LIBS...): a Google Benchmark program (host builds only; not
# a test: benchmarks are run by hand, see BENCHMARKS.md).
function(kiln_benchmark name)
  if(WIN32 OR KILN_FUZZ OR KILN_SANITIZE)
    return()
  endif()
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} kiln_settings benchmark::benchmark)
endfunction()

# kiln_interop_test(NAME SCRIPT [ARGS...]): a Python check of our formats against independent
# implementations on this machine (host builds only); the script gets the built `kiln` tool
# as its first argument.
function(kiln_interop_test name script)
  if(WIN32 OR KILN_FUZZ OR NOT KILN_REGISTER_TESTS)
    return()
  endif()
  # Debian's interpreter, for which tools/setup installs python3-oauthlib; a python3 found
  # earlier on PATH may be another installation without it.
  find_program(KILN_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
  add_test(NAME ${name} COMMAND ${KILN_PYTHON3} ${script} $<TARGET_FILE:kiln_tool> ${ARGN})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()

# kiln_delay_import(DLL): kiln_delay_<DLL>, linked in place of the system library DLL, makes a
# program load that DLL at the first call of one of its functions instead of at start. For
# what only a later action of the player needs (start-up time and memory); the library is
# made from the toolchain's own import library (cmake/delay-import.cmake).
function(kiln_delay_import dll)
  find_library(KILN_IMPORT_LIBRARY_${dll} ${dll} REQUIRED NO_CMAKE_PATH NO_CMAKE_ENVIRONMENT_PATH)
  set(folder ${CMAKE_BINARY_DIR}/delay-imports)
  set(output ${folder}/lib${dll}-delay.a)
  set(outputs ${output})
  set(i686 -DI686=OFF)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # The linker script that keeps the thunks goes before the library (delay-import.cmake).
    set(script ${folder}/lib${dll}-delay.ld)
    set(i686 -DI686=ON -DEXTERN_SCRIPT=${script})
    set(outputs ${script} ${output})
  endif()
  file(MAKE_DIRECTORY ${folder})
  add_custom_command(OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL}
            -DIMPORT_LIBRARY=${KILN_IMPORT_LIBRARY_${dll}} -DDLL=${dll}.dll -DOUTPUT=${output}
            ${i686} -P ${PROJECT_SOURCE_DIR}/cmake/delay-import.cmake
    DEPENDS ${KILN_IMPORT_LIBRARY_${dll}} ${PROJECT_SOURCE_DIR}/cmake/delay-import.cmake
    VERBATIM)
  add_custom_target(kiln_delay_${dll}_library DEPENDS ${outputs})
  add_library(kiln_delay_${dll} INTERFACE)
  target_link_libraries(kiln_delay_${dll} INTERFACE ${outputs})
  add_dependencies(kiln_delay_${dll} kiln_delay_${dll}_library)
endfunction()

if(WIN32)
  # The network (patches, the Twitter and information pages), the shell (banner click, patch
  # program, working files), sound and the multimedia clock (key pages) wait for their use.
  foreach(dll wininet shell32 dsound winmm)
    kiln_delay_import(${dll})
  endforeach()
endif()
