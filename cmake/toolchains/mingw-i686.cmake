set(KILN_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
# SSE2 floating point for everything built with this toolchain, the third-party libraries
# included: no x87 excess precision, so the Ogg decoder and the DXT compressor give on i686
# what they give on x86_64.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
