# Third-party libraries. The host build takes Debian's -dev packages; the Windows builds take
# the static prefixes that tools/setup builds (found through the toolchain's root path).

find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)

# libsquish installs no CMake package, and Debian's libsquish.pc is broken (empty prefix).
find_path(SQUISH_INCLUDE_DIR squish.h REQUIRED)
find_library(SQUISH_LIBRARY squish REQUIRED)
add_library(kiln_squish INTERFACE)
target_link_libraries(kiln_squish INTERFACE ${SQUISH_LIBRARY})
if(NOT SQUISH_INCLUDE_DIR STREQUAL "/usr/include")
  target_include_directories(kiln_squish SYSTEM INTERFACE ${SQUISH_INCLUDE_DIR})
endif()

# vorbisfile with vorbis and ogg named too: a static link needs all three, in this order.
# libvorbisenc only makes test sounds.
find_package(PkgConfig REQUIRED)
pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile vorbis ogg)
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)

# Ed25519 signatures. The Windows build links the static library, whose header must not
# declare its functions as DLL imports; it draws its random bytes from advapi32.
pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)
add_library(kiln_sodium INTERFACE)
target_link_libraries(kiln_sodium INTERFACE PkgConfig::SODIUM)
if(WIN32)
  target_compile_definitions(kiln_sodium INTERFACE SODIUM_STATIC)
  target_link_libraries(kiln_sodium INTERFACE advapi32)
endif()

# zstd for patches: deltas against the old file (its prefix mode) and whole files.
pkg_check_modules(ZSTD REQUIRED IMPORTED_TARGET libzstd)
add_library(kiln_zstd INTERFACE)
target_link_libraries(kiln_zstd INTERFACE PkgConfig::ZSTD)

add_library(kiln_boost INTERFACE)
if(WIN32)
  # The cross compilers never search /usr/include; this folder exposes Boost alone.
  target_include_directories(kiln_boost SYSTEM INTERFACE ${KILN_DEPS_ROOT}/boost-include)
else()
  find_package(Boost 1.74 REQUIRED)
  target_link_libraries(kiln_boost INTERFACE Boost::headers)
endif()

if(WIN32)
  find_package(GTest CONFIG REQUIRED)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# The LZMA SDK ships as C sources (Debian's lzma-dev); kiln/crypt builds them itself.
set(KILN_LZMA_SDK_DIR /usr/include/lzma CACHE PATH "Folder holding the LZMA SDK's C sources")
if(NOT EXISTS ${KILN_LZMA_SDK_DIR}/LzmaEnc.c)
  message(FATAL_ERROR "LZMA SDK sources not found in ${KILN_LZMA_SDK_DIR} (install lzma-dev)")
endif()

# Reference outputs of the SFMT-19937 generator, read by the cipher tests at run time.
set(KILN_SFMT_VECTORS ${PROJECT_SOURCE_DIR}/kiln/crypt/testdata/sfmt19937
    CACHE PATH "Folder of the sfmt19937-seed-N.txt vectors")
