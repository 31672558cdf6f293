# Shared part of the two mingw-w64 toolchains. KILN_TRIPLE and CMAKE_SYSTEM_PROCESSOR are set
# by the per-architecture file that includes this one.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${KILN_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KILN_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KILN_TRIPLE}-windres)

# The third-party libraries built by tools/deps/build-deps, one set per recipe. A tree takes
# the set named at its first configure (-DKILN_DEPS_ROOT, or the environment that
# tools/lib/env.sh sets) and keeps it in its cache, so a rebuilt set never moves under it.
if(NOT KILN_DEPS_ROOT)
  if(NOT DEFINED ENV{KILN_DEPS_ROOT})
    message(FATAL_ERROR "KILN_DEPS_ROOT is not set: run tools/setup, then source tools/lib/env.sh "
                        "or pass -DKILN_DEPS_ROOT=\$(tools/deps/build-deps --root)")
  endif()
  set(KILN_DEPS_ROOT $ENV{KILN_DEPS_ROOT} CACHE PATH "Third-party libraries (tools/deps/build-deps)")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KILN_DEPS_ROOT)
set(KILN_DEPS_PREFIX ${KILN_DEPS_ROOT}/${KILN_TRIPLE})

set(CMAKE_FIND_ROOT_PATH ${KILN_DEPS_PREFIX} /usr/${KILN_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} ${KILN_DEPS_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# Static runtime: the programs then import only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
