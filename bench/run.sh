#!/usr/bin/env bash
# Runs every benchmark against one zc4100-sim, and pyvisa-py's round trip on the same server.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default -j 2 --target bench_roundtrip bench_plot bench_tick bench_record_store bench_records zc4100 zc4100-sim >/dev/null
bin=build/default/bin
work=$(mktemp -d)
"$bin/zc4100-sim" --port 0 --port-file "$work/port" --seed 1 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
port=$(cat "$work/port")
ZC_BENCH_PORT=$port "$bin/bench_roundtrip" "$@"
/usr/bin/python3 bench/pyvisa_roundtrip.py "$port" 2
# The live display: one reading tick of the front panel, and the chart's drawing against a bare
# polyline of the same points.
QT_QPA_PLATFORM=offscreen "$bin/bench_tick" "$@"
QT_QPA_PLATFORM=offscreen "$bin/bench_plot" "$@"
# Records: appending a reading with its durability settings, beside a bare SQLite loop.
"$bin/bench_record_store" "$@"
# Records of a million readings: statistics, a page on the screen, and the CSV export beside the
# sqlite3 shell's, both as child processes, with their peak memory.
QT_QPA_PLATFORM=offscreen "$bin/bench_records" "$@"
