# Sourced by the R package's scripts: compiles with both processors, through ccache when
# it is there, without touching the user's own R settings.
export MAKEFLAGS=${MAKEFLAGS:--j2}
if command -v ccache >/dev/null && [ -z "${R_MAKEVARS_USER:-}" ]; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=1
  # R's own compiler, asked before R_MAKEVARS_USER names the file that wraps it.
  compiler=$(R CMD config CXX17)
  export R_MAKEVARS_USER=$out/ccache.mk
  printf 'CXX17 = ccache %s\n' "$compiler" >"$R_MAKEVARS_USER"
fi
