#!/usr/bin/env bash
# The real vantrel-remote on a virtual X display inside the private test network: it opens at
# the place stored in the settings file, a click on a key puts the key's press and release
# datagrams on the wire (read back from the simulator's capture), and the close key ends it and
# writes the place again.
# Usage: remote_e2e.sh REMOTE MODSIM OUTPUT_DIR
# Exit 77 (skipped) when not root or when the test network is down.
set -euo pipefail

remote_binary=$1
modsim_binary=$2
output_dir=$3
device=198.18.0.40
title="Vantrel - $device"

# shellcheck source=e2e_session.sh
. "$(dirname "$0")/e2e_session.sh"
e2e_start remote_e2e Xvfb openbox xdotool xwininfo import convert

# Datagrams to the device's port 9000 in the capture, hex only, in order.
control_datagrams() {
  awk -v to="$device:9000" '$3 == to && $4 !~ /^tcp/ {print $4}' "$work/capture.txt" 2>/dev/null || true
}

wait_for_datagrams() {
  local count=$1
  for _ in $(seq 50); do
    [ "$(control_datagrams | wc -l)" -ge "$count" ] && return 0
    sleep 0.1
  done
  return 1
}

settings=$work/vantrel-panel.ini
cat >"$settings" <<INI
[SkinLayout]
Left=150
Top=90
INI

e2e_start_modsim --module ip=$device,control=on

x11_start_virtual_display 800x600 410 || fail "no virtual display"
e2e_start_gui remote "$title" "$remote_binary" "$device" --settings "$settings"
sleep 0.5

info=$(DISPLAY=$x11_display xwininfo -id "$window")
x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
[ "$x" = 150 ] && [ "$y" = 90 ] || fail "the window opened at $x,$y, not at the stored 150,90"
echo "remote_e2e: the window opened at the stored place 150,90"

# The key "1" of the default skin: its press and release commands are A1 11 and A2 11.
DISPLAY=$x11_display xdotool mousemove --window "$window" 48 110 click 1
wait_for_datagrams 2 || fail "no datagrams after a click on 1: $(control_datagrams)"
expected=$'0300010000000200A111\n0300020000000200A211'
[ "$(control_datagrams)" = "$expected" ] || fail "a click on 1 sent $(control_datagrams)"
echo "remote_e2e: a click on 1 sent its press and release datagrams"

mkdir -p "$output_dir"
DISPLAY=$x11_display import -window "$window" "$output_dir/remote_e2e.png" || fail "no screenshot"
echo "remote_e2e: screenshot $output_dir/remote_e2e.png"

# The close key in the strip's corner ends the program; the place is written again.
sed -i 's/^Left=150$/Left=1/' "$settings"
DISPLAY=$x11_display xdotool mousemove --window "$window" 182 17 click 1
e2e_expect_end remote 10 "on its close key"
grep -q '^Left=150$' "$settings" && grep -q '^Top=90$' "$settings" \
  || fail "closing did not write SkinLayout: $(cat "$settings")"
[ "$(control_datagrams | wc -l)" -eq 2 ] || fail "the close key sent something: $(control_datagrams)"
echo "remote_e2e: the close key ended it with status 0 and SkinLayout written"
echo "1 passed, 0 failed"
