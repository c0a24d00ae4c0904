#!/usr/bin/env bash
# Writes what the R package's tests compare with, from the native trophex-cli, so that
# R CMD check runs without the program:
#   bash tools/r-fixtures.sh CLI DIR COUNT
# DIR/lakes.csv: COUNT synthetic lakes and the odd rows of r/tests/odd-lakes.csv;
# DIR/batch.csv, batch-raw.csv: its batch output, as texts and in full;
# DIR/target-raw.csv: its batch output with the ecoregion target, in full;
# DIR/response.jsonl: the response --json of the example data files for three requests;
# DIR/samples/: the lake-years (SHAPE.csv, long-alone.csv without the lakes table) and trends
# (SHAPE-trends.csv, at least two years) of the example samples tables.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=$1
dir=$2
count=$3
mkdir -p "$dir"
"$cli" batch --generate "$count" --seed 23 -o "$dir/lakes.csv"
tail -n +2 "$root/r/tests/odd-lakes.csv" >>"$dir/lakes.csv"
"$cli" batch "$dir/lakes.csv" -o "$dir/batch.csv"
"$cli" batch --raw "$dir/lakes.csv" -o "$dir/batch-raw.csv"
"$cli" batch --raw --target ecoregion "$dir/lakes.csv" -o "$dir/target-raw.csv"
examples=("$root/examples/example.tpx" "$root/examples/prairie.tpx")
cp "${examples[@]}" "$dir/"
: >"$dir/response.jsonl"
for request in "ecoregion" "chla=10 --model" "freq=20:10"; do
  # shellcheck disable=SC2086
  (cd "$dir" && "$cli" response --json --target $request example.tpx prairie.tpx >>response.jsonl)
done
mkdir -p "$dir/samples"
for shape in wqp long wide; do
  "$cli" samples "$root/examples/samples_$shape.csv" --lakes "$root/examples/samples_lakes.csv" --min-years 2 \
    -o "$dir/samples/$shape.csv" --trends "$dir/samples/$shape-trends.csv" 2>/dev/null
done
"$cli" samples "$root/examples/samples_long.csv" --censored zero --season 06-15:09-15 --min-days 3 \
  -o "$dir/samples/long-alone.csv" 2>/dev/null
