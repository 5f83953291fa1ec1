#!/usr/bin/env bash
# The real vantrel-panel on a virtual X display inside the private test network: it opens with
# its device list, a second start ends at once without a window and leaves the settings file
# alone, Check All asks the simulated modules, and closing the window saves its place.
# Usage: panel_e2e.sh PANEL MODSIM OUTPUT_DIR
# Exit 77 (skipped) when not root or when the test network is down.
# Every wait is bounded and generous: under a full parallel test run on two cores a sanitized
# panel may take many seconds to show its window. A failure prints the panel's and the
# simulator's standard error, what the display shows, and leaves a screenshot in OUTPUT_DIR.
set -euo pipefail

panel_binary=$1
modsim_binary=$2
output_dir=$3

# shellcheck source=e2e_session.sh
. "$(dirname "$0")/e2e_session.sh"
e2e_start panel_e2e Xvfb openbox xdotool xprop xwininfo import convert

e2e_panel_copy 198.18.0.20=00:0A:1B:2C:3D:20 198.18.0.21=00:0A:1B:2C:3D:21 198.18.0.22=

# Two modules answer; nothing plays 198.18.0.22, which fails at once.
e2e_start_modsim --module ip=198.18.0.20,mac=00:0A:1B:2C:3D:20,switcher=198.18.0.200 \
  --module ip=198.18.0.21,mac=00:0A:1B:2C:3D:21

x11_start_virtual_display 1024x768 410 || fail "no virtual display"
e2e_start_gui panel "$panel_title" "$work/vantrel-panel"
echo "panel_e2e: the window is up"

# A second start: ends at once, status 1, no second window, the settings file unchanged.
before=$(sha256sum "$settings")
started=$(date +%s%N)
set +e
timeout 60 "$root/scripts/testnet" panel "${e2e_gui_env[@]}" "$work/vantrel-panel" >/dev/null 2>"$work/second.err"
second_status=$?
set -e
elapsed_ms=$(( ($(date +%s%N) - started) / 1000000 ))
[ "$second_status" -eq 1 ] || fail "the second start ended with status $second_status, not 1 ($(cat "$work/second.err"))"
[ "$(sha256sum "$settings")" = "$before" ] || fail "the second start changed the settings file"
sleep 0.5
[ "$(DISPLAY=$x11_display x11_count_windows "$panel_title")" -eq 1 ] || fail "a second window appeared"
echo "panel_e2e: the second start ended after $elapsed_ms ms with status 1 and no window"

# Check All: each listed device is asked from the panel's address.
DISPLAY=$x11_display x11_press_check_all "$window"
for _ in $(seq 600); do
  [ "$(grep -c '57695A6E496E5472' "$work/capture.txt" 2>/dev/null || true)" -ge 2 ] && break
  sleep 0.1
done
grep -q '^[0-9]* 198\.18\.0\.1:9100 198\.18\.0\.20:9100 57695A6E496E5472' "$work/capture.txt" \
  || fail "Check All did not ask 198.18.0.20 (capture: $(cat "$work/capture.txt" 2>/dev/null))"
grep -q ' 198\.18\.0\.21:9101 57695A6E496E5472' "$work/capture.txt" || fail "Check All did not ask 198.18.0.21"
# The rows are redrawn once the last device has failed, a moment later; the screenshot shows them.
sleep 1

# The minimum holds the whole window, frame included: the smallest client the window manager
# allows plus the frame it drew is 440 dialog units wide. The unit comes from the client width
# the window opened at, the designed 539 units.
# The window manager sets the frame after mapping the window, and the panel takes it into its
# minimum when it is activated; that is waited for.
client_width=$(DISPLAY=$x11_display xwininfo -id "$window" | awk '/^ *Width:/ {print $2}')
[ -n "$client_width" ] || fail "no width of the window"
char_width=$(( (client_width * 4 + 269) / 539 ))
expected_min_width=$(( (440 * char_width + 2) / 4 ))
whole_min_width=
for _ in $(seq 300); do
  hints=$(DISPLAY=$x11_display xprop -id "$window" WM_NORMAL_HINTS _NET_FRAME_EXTENTS)
  min_width=$(sed -n 's/.*minimum size: \([0-9]*\) by [0-9]*.*/\1/p' <<<"$hints")
  extents=$(sed -n 's/^_NET_FRAME_EXTENTS(CARDINAL) = //p' <<<"$hints")
  IFS=', ' read -r frame_left frame_right _ _ <<<"$extents"
  if [ -n "$min_width" ] && [ -n "$frame_right" ]; then
    whole_min_width=$(( min_width + frame_left + frame_right ))
    [ "$whole_min_width" -eq "$expected_min_width" ] && break
  fi
  sleep 0.1
done
[ "$whole_min_width" = "$expected_min_width" ] \
  || fail "the smallest window is ${whole_min_width:-unknown} pixels wide with its frame, not 440 units ($hints)"
echo "panel_e2e: the smallest window, frame included, is 440 units ($whole_min_width pixels) wide"

mkdir -p "$output_dir"
DISPLAY=$x11_display x11_screenshot "$output_dir/panel_e2e.png" || fail "no screenshot"
echo "panel_e2e: screenshot $output_dir/panel_e2e.png"

# Closing from the window manager ends the program and saves the window's place.
DISPLAY=$x11_display xdotool windowactivate --sync "$window" key alt+F4 >/dev/null 2>&1 || true
e2e_expect_end panel 60 "when its window was closed"
for key in Left Top Width Height; do
  grep -q "^$key=-\?[0-9]\+$" "$settings" || fail "the settings file has no Layout $key after closing"
done
echo "panel_e2e: closed with status 0; Layout saved"
echo "1 passed, 0 failed"
