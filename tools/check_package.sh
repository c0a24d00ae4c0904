#!/usr/bin/env bash
# Checks what installing gives: the Debian package (its path is $1) unpacked into a
# scratch folder, and `cmake --install` of the build folder ($2, default build/) under
# another prefix. In both trees the desktop entry, the AppStream metadata and the manual
# pages pass their validators, trophex-cli calculates the example file, and trophex starts
# offscreen, finds its help file and opens a file given to it.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$1
builddir=${2:-build}
bash tools/deps.sh desktop-file-utils appstream man-db groff-base

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
scratch=$(cd "$scratch" && pwd -P)

fail() {
  echo "check_package: $*" >&2
  exit 1
}

validate_files() {
  local prefix=$1
  desktop-file-validate "$prefix/share/applications/org.trophex.Trophex.desktop"
  appstreamcli validate --no-net "$prefix/share/metainfo/org.trophex.Trophex.metainfo.xml" >/dev/null \
    || appstreamcli validate --no-net "$prefix/share/metainfo/org.trophex.Trophex.metainfo.xml"
  for file in share/mime/packages/org.trophex.Trophex.xml share/icons/hicolor/scalable/apps/org.trophex.Trophex.svg \
    share/trophex/trxhelp.hlp share/man/man1/trophex.1; do
    [ -s "$prefix/$file" ] || fail "$prefix/$file is missing"
  done
  local page warnings
  for page in "$prefix"/share/man/man1/trophex-cli.1 "$prefix"/share/man/man1/trophex.1; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page: $warnings"
  done
}

check_runner() {
  local prefix=$1
  diff <("$builddir/cli/trophex-cli" examples/example.tpx) <("$prefix/bin/trophex-cli" examples/example.tpx) \
    || fail "$prefix/bin/trophex-cli calculates examples/example.tpx differently"
}

# Starts the desktop program offscreen on a copy of the example file, with a settings
# folder of its own, and waits until it has reported its help file and the opened file.
check_program() {
  local prefix=$1 work=$2
  mkdir -p "$work/config"
  cp examples/example.tpx "$work/lake.tpx"
  XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="trophex.startup.debug=true" \
    "$prefix/bin/trophex" "$work/lake.tpx" 2>"$work/log" &
  local pid=$! expected="trophex.startup: file from the command line: $work/lake.tpx results ready: 1"
  for _ in $(seq 300); do
    grep -qFx "$expected" "$work/log" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  grep -qFx "trophex.startup: help file: $prefix/share/trophex/trxhelp.hlp" "$work/log" \
    || { cat "$work/log" >&2; fail "$prefix/bin/trophex did not find its help file"; }
  grep -qFx "$expected" "$work/log" || { cat "$work/log" >&2; fail "$prefix/bin/trophex did not open $work/lake.tpx"; }
}

dpkg -x "$deb" "$scratch/package"
cmake --install "$builddir" --prefix "$scratch/prefix" >/dev/null
for prefix in "$scratch/package/usr" "$scratch/prefix"; do
  validate_files "$prefix"
  check_runner "$prefix"
done
check_program "$scratch/package/usr" "$scratch/package-run" &
package_run=$!
check_program "$scratch/prefix" "$scratch/prefix-run"
wait "$package_run"
echo "package and installation checked: $(basename "$deb")"
