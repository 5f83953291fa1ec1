#!/usr/bin/env bash
# The add-device wizard in the real vantrel-panel on a virtual X display inside the private test
# network, driven from the keyboard alone: Insert opens it, the search finds a module still at a
# factory address on another subnet (it answers by broadcast), the first row is picked with the
# arrow key, it gets a new address, Finish lists it, and the Check that ends Add reaches the
# module at its new address. Screenshots of the list and the settings page go to OUTPUT_DIR.
# Usage: wizard_e2e.sh PANEL MODSIM OUTPUT_DIR
# Exit 77 (skipped) when not root or when the test network is down.
set -euo pipefail

panel_binary=$1
modsim_binary=$2
output_dir=$3
wizard_title="Add device"

# shellcheck source=e2e_session.sh
. "$(dirname "$0")/e2e_session.sh"
e2e_start wizard_e2e Xvfb openbox xdotool import convert

e2e_panel_copy 198.18.0.20=00:0A:1B:2C:3D:20

# The listed module, one still at a factory address (198.18.1.20, answers by broadcast) and one
# configured but not listed. The factory module's MAC sorts first.
e2e_start_modsim --broadcast \
  --module ip=198.18.0.20,mac=00:0A:1B:2C:3D:20 \
  --module ip=198.18.1.20,mac=00:0A:1B:2C:3D:10,gateway=198.18.1.1,hello-to=broadcast \
  --module ip=198.18.0.31,mac=00:0A:1B:2C:3D:31

x11_start_virtual_display 1024x768 410 || fail "no virtual display"
e2e_start_gui panel "$panel_title" "$work/vantrel-panel"
export DISPLAY=$x11_display
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true

# Insert opens the wizard; its first search starts by itself.
xdotool key Insert
wizard=$(x11_wait_window "$wizard_title" 10) || fail "Insert did not open the wizard"
wait_for_capture ' 198\.18\.0\.1:9101 255\.255\.255\.255:9101 57695A6E4C695374000C0{32}$' 50 \
  || fail "the wizard did not search on both ports (capture: $(cat "$work/capture.txt" 2>/dev/null))"
# The search collects for two seconds, then the rows are drawn.
sleep 3
mkdir -p "$output_dir"
import -window "$wizard" "$output_dir/wizard_list.png" || fail "no screenshot of the list page"

# Tab from Refresh to the list, Down picks the first module, Alt+N goes on.
xdotool key --delay 150 Tab Down alt+n
sleep 0.5
import -window "$wizard" "$output_dir/wizard_configure.png" || fail "no screenshot of the settings page"
# The new address over the shown one; the mask and gateway stay as the module reported them.
xdotool type --delay 80 198.18.0.50
xdotool key alt+n
wait_for_capture ' 255\.255\.255\.255:9100 5469426273457441000A1B2C3D10C6120032FFFFFF00C6120101$' 30 \
  || fail "the new settings were not broadcast (capture: $(cat "$work/capture.txt"))"
sleep 0.5
# Escape and Alt+F4 (the window manager's close) do not end the wizard; Alt+F presses Finish.
xdotool key Escape
xdotool key alt+F4
sleep 0.5
[ "$(x11_count_windows "$wizard_title")" -eq 1 ] \
  || { import -window root "$output_dir/wizard_failed.png"; fail "Escape or Alt+F4 ended the wizard ($(x11_count_windows "$wizard_title") windows)"; }
xdotool key alt+f
wait_for_capture ' 198\.18\.0\.50:9100 57695A6E496E5472' 40 || fail "the new device was not checked at 198.18.0.50"
sleep 0.5
[ "$(x11_count_windows "$wizard_title")" -eq 0 ] || fail "the wizard is still open after Finish"
grep -q '^Total=2$' "$settings" || fail "the settings file does not list two devices: $(cat "$settings")"
grep -q "^IP1=$(settings_int 198.18.0.50)$" "$settings" || fail "the new device's address is not stored"
grep -q '^MAC1=00:0A:1B:2C:3D:10$' "$settings" || fail "the new device's MAC is not stored"
x11_screenshot "$output_dir/wizard_added.png" || fail "no screenshot after Add"
echo "wizard_e2e: the module found by broadcast was added at 198.18.0.50 and checked there"
echo "1 passed, 0 failed"
