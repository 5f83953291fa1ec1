#!/usr/bin/env bash
# Setup and Passport on the real vantrel-panel, driven from the keyboard alone on a virtual X
# display inside the private test network: a listed device is selected, Setup asks it and opens
# the switcher address dialog, a new address typed into the field is sent ("WiZnInTw" in the
# simulator's capture); Passport saves a file through the Save As dialog that
# `vantrel-cli passport verify` reports valid.
# Usage: setup_e2e.sh PANEL MODSIM CLI OUTPUT_DIR
# Exit 77 (skipped) when not root or when the test network is down.
set -euo pipefail

panel_binary=$1
modsim_binary=$2
cli_binary=$3
output_dir=$4

# shellcheck source=e2e_session.sh
. "$(dirname "$0")/e2e_session.sh"
e2e_start setup_e2e Xvfb openbox xdotool import convert

e2e_panel_copy 198.18.0.20=00:0A:1B:2C:3D:20
mkdir "$work/saved"

e2e_start_modsim --module ip=198.18.0.20,mac=00:0A:1B:2C:3D:20,switcher=198.18.0.200

x11_start_virtual_display 1024x768 410 || fail "no virtual display"
e2e_start_gui panel "$panel_title" "$work/vantrel-panel"
export DISPLAY=$x11_display
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
sleep 0.3

# The list has the focus: Down and Space select the device (Space also when the list had made it
# current already). Setup is five Tabs on (language, adapter, Check, Check All, Setup).
xdotool key --delay 100 Down space Tab Tab Tab Tab Tab space
dialog=$(x11_wait_window "Settings" 10) || fail "Setup opened no switcher address dialog"
wait_for_capture ' 198\.18\.0\.1:910[01] 198\.18\.0\.20:910[01] 57695A6E496E5472' 10 \
  || fail "Setup did not ask the device first"
mkdir -p "$output_dir"
x11_screenshot "$output_dir/setup_dialog.png" || fail "no screenshot"

# The field opens with the device's switcher address, its first number selected: typing the
# whole new address replaces it; Enter confirms.
xdotool key --delay 80 1 9 8 period 1 8 period 0 period 7 7 Return
wait_for_capture ' 198\.18\.0\.1:910[01] 198\.18\.0\.20:910[01] 57695A6E496E5477.{6}C612004D' 30 \
  || fail "no WiZnInTw with 198.18.0.77 (capture: $(cat "$work/capture.txt"))"
echo "setup_e2e: Setup sent the switcher address 198.18.0.77"
sleep 0.5
[ "$(x11_count_windows "Settings")" -eq 0 ] || fail "the switcher address dialog is still open"

# Passport: from Setup (where the focus went back) three Tabs reach Passport (Add, Remove,
# Passport). The Save As dialog proposes a name in the folder it shows; the path typed replaces
# it.
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
xdotool key --delay 100 Tab Tab Tab space
wait_for_capture ' 198\.18\.0\.1:910[01] 198\.18\.0\.20:910[01] 57695A6E47704173' 30 \
  || fail "Passport did not ask the device"
save_as=$(x11_wait_window "Save As" 10) || fail "Passport opened no Save As dialog"
xdotool windowactivate --sync "$save_as" >/dev/null 2>&1 || true
sleep 0.5
x11_screenshot "$output_dir/passport_save_dialog.png" || fail "no screenshot"
xdotool key ctrl+a
xdotool type --delay 40 "$work/saved/device20"
xdotool key Return
for _ in $(seq 50); do
  [ -f "$work/saved/device20.txt" ] && break
  sleep 0.1
done
[ -f "$work/saved/device20.txt" ] || fail "Passport saved no file (folder: $(ls -A "$work/saved"))"
verdict=$("$cli_binary" passport verify "$work/saved/device20.txt") || fail "the saved passport is not valid: $verdict"
case $verdict in
  *": valid (address 198.18.0.20, MAC 00:0A:1B:2C:3D:20)") ;;
  *) fail "unexpected verdict: $verdict" ;;
esac
echo "setup_e2e: Passport saved a file that verifies: $verdict"
x11_screenshot "$output_dir/setup_e2e.png" || fail "no screenshot"
echo "1 passed, 0 failed"
