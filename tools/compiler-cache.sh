# Sourced by the build scripts: every build folder compiles through ccache, into one cache
# per machine that outlives the clone (~/.cache/ccache unless CCACHE_DIR says otherwise).
# Paths under the clone are hashed relative to the build folder, so that a clone in another
# folder finds the objects of this one; the CMake options are in $compiler_cache.
bash tools/deps.sh ccache
export CCACHE_DIR=${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/ccache}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
# Debug information names the build folder; another clone's object is as good all the same.
export CCACHE_NOHASHDIR=1
compiler_cache=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
