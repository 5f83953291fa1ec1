#!/usr/bin/env bash
# The Windows programs under Wine answer as the Linux ones do, on loopback:
#  1. vantrel-cli.exe against the Linux vantrel-modsim prints what the Linux vantrel-cli prints;
#  2. the Linux vantrel-cli against vantrel-modsim.exe prints what it prints against the Linux
#     simulator. Wine 8 binds a datagram socket on any 127.0.0.x but 127.0.0.1 to every address,
#     so the Windows simulator's module is 127.0.0.1 and the panel side is 127.0.0.2.
# Usage: cli_matches_linux.sh WINDOWS_BIN LINUX_BIN   (exit 77: no Linux programs to compare with)
set -euo pipefail
windows=$1
linux=$2
source "$(dirname "$0")/linux_side.sh"
need_linux_programs "$linux" vantrel-cli vantrel-modsim
need_private_loopback
simulator=

start() {  # the simulator command; waits (bounded) for its ready line
  "$@" --duration 60 >"$work/sim.out" 2>&1 &
  simulator=$!
  for _ in $(seq 100); do
    grep -q '^vantrel-modsim: ready' "$work/sim.out" && return 0
    sleep 0.2
  done
  echo "simulator not ready: $(cat "$work/sim.out")" >&2
  return 1
}
stop() { kill "$simulator"; wait "$simulator" || true; simulator=; }
# Windows programs end their lines with CR LF, as every console program there does.
expect_same() {  # label, then the two outputs' files
  if ! diff -u <(tr -d '\r' <"$2") <(tr -d '\r' <"$3"); then echo "FAIL: $1" >&2; exit 1; fi
  echo "same: $1"
}
work=$(mktemp -d)
trap '[ -n "$simulator" ] && kill "$simulator" 2>/dev/null; wait; rm -rf "$work"' EXIT
ask=(check --from 127.0.0.1 127.0.0.140 127.0.0.141 127.0.0.142 --json)

start "$linux/vantrel-modsim" --module ip=127.0.0.140,switcher=10.1.1.1 \
  --module ip=127.0.0.141,reply=wrong-magic
status=0
"$linux/vantrel-cli" "${ask[@]}" >"$work/linux.txt" 2>&1 || status=$?
echo "exit $status" >>"$work/linux.txt"
status=0
wine "$windows/vantrel-cli.exe" "${ask[@]}" >"$work/windows.txt" 2>&1 || status=$?
echo "exit $status" >>"$work/windows.txt"
grep -q '"online": true' "$work/linux.txt" || { cat "$work/linux.txt"; exit 1; }
expect_same "vantrel-cli.exe check --json against the Linux simulator" "$work/linux.txt" \
  "$work/windows.txt"
stop

ask=(check --from 127.0.0.2 127.0.0.1 --json)
for simulator_program in "$linux/vantrel-modsim" "$windows/vantrel-modsim.exe"; do
  runner=()
  [[ $simulator_program == *.exe ]] && runner=(wine)
  start "${runner[@]}" "$simulator_program" --module ip=127.0.0.1,switcher=10.2.2.2
  status=0
  "$linux/vantrel-cli" "${ask[@]}" >"$work/$(basename "$simulator_program").txt" 2>&1 ||
    status=$?
  echo "exit $status" >>"$work/$(basename "$simulator_program").txt"
  stop
done
grep -q '"online": true' "$work/vantrel-modsim.txt" || { cat "$work/vantrel-modsim.txt"; exit 1; }
expect_same "check --json against vantrel-modsim.exe" "$work/vantrel-modsim.txt" \
  "$work/vantrel-modsim.exe.txt"
