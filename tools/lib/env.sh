# Shared locations of the project's scripts. Sourced, not run.
# The dependency cache lives outside the checkout so that clean checkouts (CI) reuse it.
KILN_CACHE=${KILN_CACHE:-/var/cache/kiln}
# `current` points at the prefix set built from the present recipe; toolchain files read it.
KILN_DEPS_ROOT=${KILN_DEPS_ROOT:-$KILN_CACHE/deps/current}
export KILN_CACHE KILN_DEPS_ROOT
# Compiled objects are cached there too, shared by every checkout: paths are taken relative
# to the checkout, so a fresh clone (CI) reuses what an earlier one compiled.
export CCACHE_DIR=${CCACHE_DIR:-$KILN_CACHE/ccache}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
export CCACHE_NOHASHDIR=1
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-4G}
