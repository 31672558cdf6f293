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
