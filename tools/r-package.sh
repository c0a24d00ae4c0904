#!/usr/bin/env bash
# Builds the R package trophex: installs what it needs, copies r/ and the engine's sources
# into a staging copy (a package must hold all of its sources), writes its documentation
# with roxygen2 and builds build-r/trophex_<version>.tar.gz with R CMD build, vignette
# included. The tarball's path is the last line printed.
#   bash tools/r-package.sh            # into build-r/
#   bash tools/r-package.sh DIR        # into DIR
# Files put into build-r/fixtures/ beforehand (tools/r-test.sh writes them there) go into
# the package's tests/testthat/fixtures/ beside the small ones kept in git.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/deps.sh" r-base-dev r-cran-cpp11 r-cran-testthat r-cran-roxygen2 r-cran-knitr \
  r-cran-rmarkdown r-cran-jsonlite r-cran-tibble pandoc
out=$(mkdir -p "${1:-$root/build-r}" && cd "${1:-$root/build-r}" && pwd)
. "$root/tools/r-env.sh"
stage=$out/stage/trophex
rm -rf "$out/stage"
mkdir -p "$stage"
cp -R "$root/r/." "$stage/"

# The engine's libraries, in their folders, so that "model/x.h" is found from src/.
engine_libraries="arithmetic model response files batch samples engine"
objects=""
for library in $engine_libraries; do
  mkdir -p "$stage/src/$library"
  cp "$root/$library"/*.h "$root/$library"/*.cpp "$stage/src/$library/"
  for source in "$stage/src/$library"/*.cpp; do
    objects="$objects $library/$(basename "${source%.cpp}").o"
  done
done
# Each platform compiles its own system calls only.
posix_objects=$(echo "$objects" | sed 's| files/platformfiles_windows.o||')
windows_objects=$(echo "$objects" | sed 's| files/platformfiles_posix.o||')
sed -i "s|^ENGINE_OBJECTS =.*|ENGINE_OBJECTS =$posix_objects|" "$stage/src/Makevars"
sed -i "s|^ENGINE_OBJECTS =.*|ENGINE_OBJECTS =$windows_objects|" "$stage/src/Makevars.win"

# The example samples tables, for the examples of the documentation and the tests.
mkdir -p "$stage/inst/extdata"
cp "$root"/examples/samples_*.csv "$stage/inst/extdata/"

if [ -d "$out/fixtures" ]; then
  mkdir -p "$stage/tests/testthat/fixtures"
  cp -R "$out/fixtures/." "$stage/tests/testthat/fixtures/"
fi

# Documentation and NAMESPACE from the roxygen2 comments; the R code is only sourced,
# so that nothing is compiled twice.
(cd "$stage" && Rscript -e 'roxygen2::roxygenise(load_code = roxygen2::load_source)' >/dev/null)

version=$(sed -n 's/^Version: *//p' "$stage/DESCRIPTION")
(cd "$out" && R CMD build --no-resave-data stage/trophex >build.log 2>&1) || { cat "$out/build.log"; exit 1; }
echo "$out/trophex_$version.tar.gz"
