# The recipe of the Windows builds of the third-party libraries: which Debian source packages,
# for which targets, built how. Sourced by tools/deps/build-deps; its text is part of the hash
# that names a library set, so a change here builds a new set.
kiln_deps_packages=(zlib libpng1.6 libogg libvorbis libjpeg-turbo libsquish libsodium libzstd)
kiln_deps_triples=(x86_64-w64-mingw32 i686-w64-mingw32)

# build_libraries TRIPLE: with the sources unpacked in $work/<package>, builds and installs
# each library through cmake_install NAME SOURCE-DIR TRIPLE [CMAKE ARGS...] or, for autotools
# sources, configure_install NAME SOURCE-DIR TRIPLE [CONFIGURE ARGS...].
build_libraries() {
  local triple=$1
  cmake_install zlib "$root/tools/deps/zlib" "$triple" -DZLIB_SOURCE_DIR="$work/zlib"
  cmake_install png "$work/libpng1.6" "$triple" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
  cmake_install jpeg "$work/libjpeg-turbo" "$triple" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF
  cmake_install ogg "$work/libogg" "$triple" -DBUILD_TESTING=OFF
  cmake_install vorbis "$work/libvorbis" "$triple"
  cmake_install squish "$work/libsquish" "$triple" \
    -DBUILD_SQUISH_WITH_OPENMP=OFF -DBUILD_SQUISH_WITH_SSE2=OFF
  cmake_install zstd "$work/libzstd/build/cmake" "$triple" \
    -DZSTD_BUILD_SHARED=OFF -DZSTD_BUILD_STATIC=ON -DZSTD_BUILD_PROGRAMS=OFF \
    -DZSTD_BUILD_TESTS=OFF -DZSTD_MULTITHREAD_SUPPORT=OFF
  configure_install sodium "$work/libsodium" "$triple" --disable-shared --enable-static \
    --with-pic=no --disable-ssp
  cmake_install googletest /usr/src/googletest "$triple" -DBUILD_GMOCK=ON
}
