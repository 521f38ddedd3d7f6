#!/usr/bin/env bash
# Pictures of the three record dialogs of the running front panel under Xvfb, over records that
# zc4100 measure keeps from the simulated counter: Setting Mode, View Record with record 3
# chosen, Chart Record with record 3 drawn.
# Usage: scripts/screenshot-records.sh [OUTPUT-FOLDER]   (default build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-build/screenshots}")"
mkdir -p "$out"
scripts/install-deps.sh
for p in xvfb xauth x11-utils imagemagick xdotool; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    { [ "$(id -u)" -eq 0 ] && apt-get install -y -qq "$p" >/dev/null || sudo apt-get install -y -qq "$p" >/dev/null; }
done
cmake --preset default >/dev/null
cmake --build --preset default -j 2 --target ZC4100_AP zc4100 >/dev/null
bin="$PWD/build/default/bin"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/run/DB"
cat > "$work/visa.ini" <<INI
[USB0::0x1A5B::0x1004::AB12345678::INSTR]
simulate = zc4100
seed = 5
INI
export ZC4100_VISA_CONF="$work/visa.ini"
"$bin/zc4100" measure --record 3 --folder "$work/run" -r 100 --count 60 >/dev/null
"$bin/zc4100" measure --record 5 --folder "$work/run" -f Period -r 100 --count 20 >/dev/null

cat > "$work/shot.sh" <<SH
set -e
cd "$work/run"
"$bin/ZC4100_AP" &
app=\$!
wait_for() { for _ in \$(seq 100); do xwininfo -name "\$1" >/dev/null 2>&1 && break; sleep 0.1; done; sleep 0.8; }
window() { xwininfo -name "\$1" | awk '/Window id:/ {print \$4}'; }
menu() {  # the pop-up's place on the menu bar, then how many items down
  xdotool mousemove --window "\$main" \$1 8 click 1; sleep 0.4
  for _ in \$(seq \$2); do xdotool key Down; done
  xdotool key Return
}
wait_for ZC4100_AP
main=\$(window ZC4100_AP)

menu 28 1
wait_for "Setting Mode"
import -window "\$(window 'Setting Mode')" "$out/setting-mode.png"
xdotool key Escape; sleep 0.5

menu 80 1
wait_for "View Record"
view=\$(window 'View Record')
xdotool mousemove --window "\$view" 60 45 click 1; sleep 1
import -window "\$view" "$out/view-record.png"
xdotool key Escape; sleep 0.5

menu 80 2
wait_for "Chart Record"
chart=\$(window 'Chart Record')
xdotool mousemove --window "\$chart" 795 22 click 1; sleep 0.6
xdotool key Return; sleep 0.8
xdotool mousemove --window "\$chart" 110 260 click 1; sleep 1
xdotool mousemove --window "\$chart" 300 397 click 1; sleep 0.5
import -window "\$chart" "$out/chart-record.png"
kill \$app
SH
LANG="${LANG:-en_US.UTF-8}" xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/shot.sh"
ls "$out"
