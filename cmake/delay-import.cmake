# Makes the delay-import library of one system DLL from the toolchain's own import library:
# the same functions under the same (on i686, stdcall-decorated) names, but a program linked
# with it loads the DLL at the first call of one of them.
#   cmake -DNM=... -DDLLTOOL=... -DIMPORT_LIBRARY=libX.a -DDLL=X.dll -DOUTPUT=libX-delay.a
#         [-DI686=ON -DEXTERN_SCRIPT=libX-delay.ld] -P delay-import.cmake
# On i686 the linker drops a delay thunk that nothing names directly, even though the import
# address table points at it (calls through __declspec(dllimport) name only __imp_X): the
# first call then jumps to address 0. EXTERN_SCRIPT, a linker script naming every thunk,
# keeps them all.
foreach(var NM DLLTOOL IMPORT_LIBRARY DLL OUTPUT)
  if(NOT ${var})
    message(FATAL_ERROR "delay-import.cmake: ${var} is not set")
  endif()
endforeach()

execute_process(COMMAND ${NM} --defined-only ${IMPORT_LIBRARY}
                OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
# Each function has a code thunk (type T); data exports have none and cannot be delay-loaded.
string(REGEX MATCHALL " T [^\n]+" thunks "${listing}")
if(NOT thunks)
  message(FATAL_ERROR "delay-import.cmake: no functions in ${IMPORT_LIBRARY}")
endif()
set(def "LIBRARY ${DLL}\nEXPORTS\n")
set(extern "EXTERN(\n")
foreach(thunk IN LISTS thunks)
  string(SUBSTRING "${thunk}" 3 -1 symbol)
  string(APPEND extern "  \"${symbol}\"\n")
  set(name ${symbol})
  if(I686)
    string(REGEX REPLACE "^_" "" name "${name}")  # the C symbol prefix
  endif()
  string(APPEND def "${name}\n")
endforeach()
if(EXTERN_SCRIPT)
  file(WRITE ${EXTERN_SCRIPT} "${extern})\n")
endif()

get_filename_component(folder ${OUTPUT} DIRECTORY)
get_filename_component(stem ${OUTPUT} NAME_WE)
file(WRITE ${folder}/${stem}.def "${def}")
# The DLL exports undecorated names; --kill-at keeps the @N of the i686 symbols out of them.
set(kill_at)
if(I686)
  set(kill_at --kill-at)
endif()
execute_process(COMMAND ${DLLTOOL} ${kill_at} --input-def ${folder}/${stem}.def --dllname ${DLL}
                        --output-delaylib ${OUTPUT} --temp-prefix ${stem}
                WORKING_DIRECTORY ${folder} COMMAND_ERROR_IS_FATAL ANY)
