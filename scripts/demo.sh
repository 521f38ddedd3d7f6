#!/usr/bin/env bash
# The main job: the front panel ZC4100_AP against a simulated USB counter. Where no display
# exists, the same discovery and a measurement run in the terminal instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j 2 --target ZC4100_AP zc4100 zc4100-sim >/dev/null
bin=build/default/bin

work=$(mktemp -d)
sim=""
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -rf "$work"' EXIT
cat > "$work/visa.ini" <<INI
; A counter on USB, simulated inside the VISA library.
[USB0::0x1A5B::0x1004::AB12345678::INSTR]
simulate = zc4100
seed = 1
INI
export ZC4100_VISA_CONF="$work/visa.ini"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/ZC4100_AP"
fi

echo "No display: the front panel's discovery and a measurement, in the terminal."
run() { echo "\$ zc4100 $*"; "$bin/zc4100" "$@"; }
run discover
usb="USB0::0x1A5B::0x1004::AB12345678::INSTR"
run query "$usb" "*IDN?"

# The same counter model served on loopback TCP, as a LAN instrument.
"$bin/zc4100-sim" --port 0 --port-file "$work/port" --serial TC00000001 --seed 1 &
sim=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
tcp="TCPIP0::127.0.0.1::$(cat "$work/port")::SOCKET"
run query "$tcp" "*IDN?"
run write "$tcp" "FUNC 'FREQ 1';:FREQuency:ARM:STARt:SOURce IMM;:FREQuency:ARM:STOP:SOURce TIMer"
run write "$tcp" "FREQuency:ARM:STOP:TIMer 1;:INIT:CONT ON"
for _ in 1 2 3 4 5; do run query "$tcp" "fetch?"; done
run query "$tcp" "SYST:ERR?"
