# Third-party libraries. The host build takes Debian's -dev packages; the Windows builds take
# the static prefixes that tools/setup builds (found through the toolchain's root path).

find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)

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
