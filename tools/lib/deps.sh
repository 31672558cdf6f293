# Where the Windows builds of the third-party libraries are: one set per recipe, in
# $KILN_CACHE/deps/<hash of the recipe>. Sourced, not run.
# shellcheck source=tools/deps/recipe.sh
. "$(dirname "${BASH_SOURCE[0]}")/../deps/recipe.sh"

# kiln_deps_dsc PACKAGE: the newest .dsc of the package in the cache (nothing when none).
# Only a whole download has its .dsc there: tools/deps/build-deps moves it in last.
kiln_deps_dsc() {
  { compgen -G "$KILN_CACHE/src/${1}_*.dsc" || true; } | sort -V | tail -1
}

# kiln_deps_hash: the hash of what decides the libraries' bytes (the recipe, the toolchains,
# the sources, the compilers); fails when a source is not fetched yet.
kiln_deps_hash() {
  local top pkg dscs=() dsc t
  top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  for pkg in "${kiln_deps_packages[@]}"; do
    dsc=$(kiln_deps_dsc "$pkg")
    [ -n "$dsc" ] || return 1
    dscs+=("$dsc")
  done
  {
    cat "$top/tools/deps/recipe.sh" "$top/tools/deps/zlib/CMakeLists.txt" \
        "$top"/cmake/toolchains/*.cmake "${dscs[@]}"
    for t in "${kiln_deps_triples[@]}"; do "$t-gcc-posix" --version | head -1; done
    cmake --version | head -1
    dpkg-query -W -f='${Version}\n' googletest
  } | sha256sum | cut -c1-16
}
