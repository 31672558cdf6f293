# Shared locations of the project's scripts. Sourced, not run.
# The dependency cache lives outside the checkout so that clean checkouts (CI) reuse it.
KILN_CACHE=${KILN_CACHE:-/var/cache/kiln}
export KILN_CACHE
# shellcheck source=tools/lib/deps.sh
. "$(dirname "${BASH_SOURCE[0]}")/deps.sh"
# The library set of this checkout's recipe, $KILN_CACHE/deps/<hash>. A Windows build tree
# takes it when first configured and keeps it in its CMake cache: building the set of another
# recipe (another folder) never changes what an existing tree links against.
if kiln_deps_key=$(kiln_deps_hash 2>/dev/null); then
  export KILN_DEPS_ROOT=$KILN_CACHE/deps/$kiln_deps_key
else
  unset KILN_DEPS_ROOT  # sources not fetched yet: tools/setup does that
fi
unset kiln_deps_key
# Compiled objects are cached there too, shared by every checkout: paths are taken relative
# to the checkout, so a fresh clone (CI) reuses what an earlier one compiled.
export CCACHE_DIR=${CCACHE_DIR:-$KILN_CACHE/ccache}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
export CCACHE_NOHASHDIR=1
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-4G}

# kiln_configure PRESET: configures a preset's build tree. A Windows tree made with another
# library set than the present one is configured afresh (its cached find results name the
# old set's files); objects whose commands did not change are not rebuilt.
kiln_configure() {
  local preset=$1 cache fresh=() defs=()
  case $preset in
    win64|win32)
      [ -n "${KILN_DEPS_ROOT:-}" ] || { echo "The Windows libraries are not set up: run tools/setup" >&2; return 1; }
      cache=build/$preset/CMakeCache.txt
      if [ -f "$cache" ] && ! grep -qxF "KILN_DEPS_ROOT:PATH=$KILN_DEPS_ROOT" "$cache"; then
        fresh=(--fresh)
      fi
      defs=(-DKILN_DEPS_ROOT:PATH="$KILN_DEPS_ROOT")
      ;;
  esac
  cmake --preset "$preset" "${fresh[@]}" "${defs[@]}" >/dev/null
}
