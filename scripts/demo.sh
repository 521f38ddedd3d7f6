#!/usr/bin/env bash
# The main job: the front panel ZC4100_AP against a simulated USB counter. Where no display
# exists, the same discovery and measurement run in the terminal instead (zc4100 measure).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j 2 --target ZC4100_AP zc4100 zc4100-sim >/dev/null
bin="$PWD/build/default/bin"
# The records live in DB below the working folder; the program never makes that folder itself.
records="$PWD/build/records"
mkdir -p "$records/DB"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/visa.ini" <<INI
; A counter on USB, simulated inside the VISA library.
[USB0::0x1A5B::0x1004::AB12345678::INSTR]
simulate = zc4100
seed = 1
INI
export ZC4100_VISA_CONF="$work/visa.ini"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cd "$records"
  "$bin/ZC4100_AP"
  exit
fi

echo "No display: the front panel's discovery and a measurement run, in the terminal."
run() { echo "\$ zc4100 $*"; "$bin/zc4100" "$@"; }
run discover
# The panel's default set-up (Freq on CH1, 0.1 s gate) read every 100 ms, then a period run on
# CH2 with a 0.5 s gate read every 300 ms.
run measure --count 20
run measure -f Period -c CH2 -t 0.5 -r 300 --count 8
# A run kept as record 1, as Setting Mode's Save does in the window.
run measure --record 1 --folder "$records" --count 10
run records --folder "$records"
run records show 1 --folder "$records"
