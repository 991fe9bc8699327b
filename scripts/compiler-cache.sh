# Sourced by the build scripts: the top CMakeLists.txt compiles through ccache when it is
# installed; these let any later build reuse its compilations, in this clone or another (paths
# are taken from the project's root), which keeps a clean clone's full run short.
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR-$PWD}"
  export CCACHE_NOHASHDIR=1
fi
