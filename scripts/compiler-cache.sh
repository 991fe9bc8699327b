# Sourced by the build scripts: compilations are kept by ccache and reused by any later build,
# in this clone or another (paths are taken from the project's root), which keeps a clean
# clone's full run short. Without ccache, builds are as before.
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER-ccache}"
  export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER-ccache}"
  export CCACHE_BASEDIR="${CCACHE_BASEDIR-$PWD}"
  export CCACHE_NOHASHDIR=1
fi
