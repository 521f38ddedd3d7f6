#!/usr/bin/env bash
# Takes a picture of the front panel under Xvfb, against simulated counters: a GPIB counter at
# address 22 and a USB counter. With --run it clicks the toolbar's start button first and waits
# for the trend to fill; with --console it takes the Command Control window after an "*IDN?"
# query instead. The language follows LANG (zh_TW.UTF-8, zh_CN.UTF-8 or any other).
#   Usage: scripts/screenshot.sh [--run | --console] [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
run=0
console=0
if [ "${1:-}" = "--run" ]; then run=1; shift; fi
if [ "${1:-}" = "--console" ]; then console=1; shift; fi
out="$(realpath -m "${1:-build/screenshot.png}")"
scripts/install-deps.sh
for p in xvfb xauth x11-utils imagemagick xdotool; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    { [ "$(id -u)" -eq 0 ] && apt-get install -y -qq "$p" >/dev/null || sudo apt-get install -y -qq "$p" >/dev/null; }
done
cmake --preset default >/dev/null
cmake --build --preset default -j 2 --target ZC4100_AP >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/visa.ini" <<INI
[GPIB0::22::INSTR]
simulate = zc4100
serial = GP00000022
[USB0::0x1A5B::0x1004::AB12345678::INSTR]
simulate = zc4100
INI
cat > "$work/shot.sh" <<SH
set -e
"$PWD/build/default/bin/ZC4100_AP" &
app=\$!
for _ in \$(seq 100); do xwininfo -name ZC4100_AP >/dev/null 2>&1 && break; sleep 0.1; done
sleep 1.5
id=\$(xwininfo -name ZC4100_AP | awk '/Window id:/ {print \$4}')
if [ $run = 1 ]; then
  # The toolbar's first button sits just under the menu bar at the left.
  xdotool mousemove --window "\$id" 16 35 click 1
  sleep 12
fi
if [ $console = 1 ]; then
  # The first menu, then three to the right is the Tool menu; its first item is the console.
  xdotool mousemove --window "\$id" 15 8 click 1; sleep 0.4
  xdotool key Right Right Right Return
  sleep 1
  con=\$(xdotool search --sync --onlyvisible --class ZC4100_AP | while read w; do
    [ "\$w" != "\$(printf '%d' "\$id")" ] && echo "\$w"; done | tail -1)
  xdotool key Return; sleep 1
  id=\$con
fi
import -window "\$id" "$out"
kill \$app
SH
ZC4100_VISA_CONF="$work/visa.ini" LANG="${LANG:-en_US.UTF-8}" \
  xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/shot.sh"
echo "$out"
