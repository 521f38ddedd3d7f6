#!/usr/bin/env bash
# The main job until the front panel exists: builds everything, starts a simulated counter on
# loopback TCP and a second one inside the VISA library, finds both and takes readings.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j 2 --target zc4100 zc4100-sim >/dev/null
bin=build/default/bin

work=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null || true; rm -rf "$work"' EXIT
"$bin/zc4100-sim" --port 0 --port-file "$work/port" --serial TC00000001 --seed 1 &
sim=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
port=$(cat "$work/port")
tcp="TCPIP0::127.0.0.1::${port}::SOCKET"

cat > "$work/visa.ini" <<INI
; A counter on USB, simulated inside the VISA library, and the one served on TCP.
[USB0::0x1A5B::0x1004::AB12345678::INSTR]
simulate = zc4100
seed = 1

[$tcp]
INI
export ZC4100_VISA_CONF="$work/visa.ini"

run() { echo "\$ zc4100 $*"; "$bin/zc4100" "$@"; }
run find
run query "USB0::0x1A5B::0x1004::AB12345678::INSTR" "*IDN?"
run query "$tcp" "*IDN?"
run write "$tcp" "FUNC 'FREQ 1';:FREQuency:ARM:STARt:SOURce IMM;:FREQuency:ARM:STOP:SOURce TIMer"
run write "$tcp" "FREQuency:ARM:STOP:TIMer 1;:INIT:CONT ON"
for _ in 1 2 3 4 5; do run query "$tcp" "fetch?"; done
run query "$tcp" "SYST:ERR?"
