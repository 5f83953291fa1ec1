# The shared frame of the end-to-end scripts, sourced by each after it has read its arguments:
# skips (77) unless root with the test network up, checks the tools, starts from an empty work
# folder, and on every way out stops the programs it started, the display and the folder.
# A script starts its programs with e2e_start_modsim and e2e_start_gui (they keep the pids in
# modsim_pid, panel_pid and remote_pid and the standard error in $work/<program>.err), and calls
# fail with what went wrong: the failure report then shows those errors, whether a program had
# already ended, what the display shows, and leaves a screenshot in $output_dir.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The main window's caption.
panel_title="Control Panel Configuration"

e2e_stop() {
  local pid=$1
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# Runs under set -e: a program ended by its signal reports a failure, which must not stop the
# clean-up before the simulator, the display and the work folder are gone.
e2e_cleanup() {
  e2e_stop "${panel_pid:-}"
  e2e_stop "${remote_pid:-}"
  e2e_stop "${modsim_pid:-}"
  x11_stop_all
  rm -rf "$work"
}

# e2e_start NAME TOOL...
e2e_start() {
  e2e_name=$1
  shift
  if [ "$(id -u)" -ne 0 ]; then
    echo "$e2e_name: skipped: needs root for the test network"
    exit 77
  fi
  if ! "$root/scripts/testnet" status >/dev/null 2>&1; then
    echo "$e2e_name: skipped: the test network is down (scripts/testnet up)"
    exit 77
  fi
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$e2e_name: $tool is missing (scripts/install-deps)" >&2; exit 1; }
  done
  # shellcheck source=../../scripts/x11-session
  . "$root/scripts/x11-session"
  work=$(mktemp -d "/tmp/vantrel-$e2e_name.XXXXXX")
  mkdir -m 0700 "$work/run"
  panel_pid=
  remote_pid=
  modsim_pid=
  trap e2e_cleanup EXIT
}

fail() {
  echo "$e2e_name: FAILED: $*" >&2
  local program pid status errors
  for program in panel remote; do
    pid=$(eval echo "\${${program}_pid:-}")
    if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
      status=0
      wait "$pid" || status=$?
      eval "${program}_pid="
      echo "$e2e_name: the $program had ended with status $status" >&2
    fi
  done
  for errors in "$work"/*.err; do
    [ -f "$errors" ] && sed "s/^/$(basename "$errors" .err): /" "$errors" >&2
  done
  if [ -n "${x11_display:-}" ]; then
    DISPLAY=$x11_display x11_describe_display >&2 || true
    mkdir -p "$output_dir"
    DISPLAY=$x11_display x11_screenshot "$output_dir/${e2e_name}_failure.png" 2>/dev/null \
      && echo "$e2e_name: the display as it was: $output_dir/${e2e_name}_failure.png" >&2
  fi
  exit 1
}

# Waits up to TENTHS tenths of a second for the simulator's capture to hold a line matching the
# extended regular expression PATTERN: wait_for_capture PATTERN TENTHS
wait_for_capture() {
  local pattern=$1 tenths=$2
  for _ in $(seq "$tenths"); do
    grep -q -E "$pattern" "$work/capture.txt" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# e2e_start_modsim ARG...: vantrel-modsim on the device side of the test network, recording into
# $work/capture.txt, for longer than any script runs (the clean-up stops it sooner); fails
# unless it reports ready within 30 s.
e2e_start_modsim() {
  "$root/scripts/testnet" device "$modsim_binary" --duration 400 --capture "$work/capture.txt" "$@" \
    >"$work/modsim.out" 2>"$work/modsim.err" &
  modsim_pid=$!
  for _ in $(seq 300); do
    grep -q '^vantrel-modsim: ready$' "$work/modsim.out" && return 0
    kill -0 "$modsim_pid" 2>/dev/null || break
    sleep 0.1
  done
  fail "vantrel-modsim did not get ready"
}

# e2e_start_gui PROGRAM TITLE COMMAND...: COMMAND on the panel side of the test network and on
# the virtual display, its output in $work/PROGRAM.out and $work/PROGRAM.err. Sets PROGRAM_pid,
# window (the id of its window named TITLE; fails unless it appears within 90 s) and e2e_gui_env,
# the environment it runs in, for a later start of the same kind.
e2e_start_gui() {
  local program=$1 title=$2
  shift 2
  # The X libraries keep a few one-time allocations to the end; the programs' own leaks are the
  # UI tests' business.
  e2e_gui_env=(env DISPLAY="$x11_display" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
    ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0")
  timeout 400 "$root/scripts/testnet" panel "${e2e_gui_env[@]}" "$@" \
    >"$work/$program.out" 2>"$work/$program.err" &
  local pid=$!
  eval "${program}_pid=$pid"
  window=$(DISPLAY=$x11_display x11_wait_window "$title" 90 "$pid") \
    || fail "the $program's window did not appear"
}

# e2e_expect_end PROGRAM SECONDS HOW: the program started by e2e_start_gui ends within SECONDS,
# with status 0; HOW is what should have ended it, for the failure report.
e2e_expect_end() {
  local program=$1 seconds=$2 how=$3 pid status=0
  pid=$(eval echo "\${${program}_pid}")
  wait_for_exit "$pid" "$seconds" || fail "the $program did not end $how"
  wait "$pid" || status=$?
  eval "${program}_pid="
  [ "$status" -eq 0 ] || fail "the $program ended with status $status"
}

# e2e_panel_copy IP=MAC...: vantrel-panel copied into $work, so that it reads the settings file
# named after it there ($settings): English, the test network's adapter 198.18.0.1, and the given
# devices listed in order (an empty MAC after "=" is stored empty).
e2e_panel_copy() {
  cp "$panel_binary" "$work/vantrel-panel"
  settings=$work/vantrel-panel.ini
  local position=0 device
  {
    printf '[Layout]\nLanguage=0\n[Config]\nLocalIP=%s\n[List]\nTotal=%d\n' "$(settings_int 198.18.0.1)" "$#"
    for device in "$@"; do
      printf 'IP%d=%s\nMAC%d=%s\n' "$position" "$(settings_int "${device%%=*}")" "$position" "${device#*=}"
      position=$((position + 1))
    done
  } >"$settings"
}
