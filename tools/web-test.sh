#!/usr/bin/env bash
# Tests the browser page in headless Chromium (Debian's) through puppeteer-core: generated
# lakes typed in and compared with the native trophex-cli, output units, data files opened,
# saved and dropped, the stored lake, axe-core's WCAG 2.1 A and AA rules, screenshots at
# 1280 and 390 pixels (build-web/test/); then the essentials in headless Firefox (Debian's
# firefox-esr, through WebDriver BiDi; build-web/test/firefox/). Each test ends with its
# line "web: N passed, M failed" and "firefox: N passed, M failed"; either failing fails this.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh chromium firefox-esr poppler-utils
lakes=${TROPHEX_WEB_LAKES:-210}
[ -x build/cli/trophex-cli ] || bash tools/build.sh build -- trophex-cli
page=$(bash tools/web.sh | tail -n 1)
work=build-web/test
rm -rf "$work"
mkdir -p "$work"
build/cli/trophex-cli batch --generate "$lakes" -o "$work/lakes.csv"
mkdir -p "$work/firefox"
build/cli/trophex-cli batch --generate 4 -o "$work/firefox/lakes.csv"
# The two browsers run side by side: each spends much of its time waiting for the other
# process of its pair (driver or page), so together they take little longer than Chromium
# alone. Firefox's log follows Chromium's.
node web/test/firefox-test.mjs "$page" build/cli/trophex-cli "$work/firefox/lakes.csv" "$work/firefox" \
  >"$work/firefox.log" 2>&1 &
firefox=$!
status=0
node web/test/web-test.mjs "$page" build/cli/trophex-cli "$work/lakes.csv" "$work" || status=1
wait "$firefox" || status=1
cat "$work/firefox.log"
exit "$status"
