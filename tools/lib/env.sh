# Shared locations of the project's scripts. Sourced, not run.
# The dependency cache lives outside the checkout so that clean checkouts (CI) reuse it.
KILN_CACHE=${KILN_CACHE:-/var/cache/kiln}
# `current` points at the prefix set built from the present recipe; toolchain files read it.
KILN_DEPS_ROOT=${KILN_DEPS_ROOT:-$KILN_CACHE/deps/current}
export KILN_CACHE KILN_DEPS_ROOT
