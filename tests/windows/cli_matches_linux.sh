#!/usr/bin/env bash
# The Windows programs under Wine do what the Linux ones do, on loopback, for modules of every
# reply behaviour and control fault below:
#  1. vantrel-cli.exe against the Linux vantrel-modsim prints what the Linux vantrel-cli prints,
#     writes the same passports and leaves the same switcher addresses;
#  2. the Linux vantrel-cli gets from vantrel-modsim.exe what it gets from the Linux simulator.
#     Wine 8 binds a datagram socket on any 127.0.0.x but 127.0.0.1 to every address, so the
#     Windows simulator plays one module at a time, at 127.0.0.1, and the panel side is
#     127.0.0.2.
# Usage: cli_matches_linux.sh WINDOWS_BIN LINUX_BIN   (exit 77: no Linux programs to compare with)
set -euo pipefail
windows=$1
linux=$2
source "$(dirname "$0")/linux_side.sh"
need_linux_programs "$linux" vantrel-cli vantrel-modsim
need_private_loopback

# What each module is, besides its address: a reply behaviour each and a control fault each.
# Modules that never answer a request (silent, short replies, a passport cut too short) are left
# out: the exchange suites pin their deadlines, and here they would only add waiting.
modules=(
  switcher=10.1.1.1,control=on
  reply=wrong-status,control-fault=busy:1
  reply=wrong-magic,control-fault=status:3
  reply=trailing,switcher=10.4.4.4,control-fault=wrong-sequence
  reply=twice,switcher=10.5.5.5,control-fault=long
  reply=delay:200,switcher=10.6.6.6,control-fault=bad-crc
  ports=9101,switcher=10.7.7.7,control-fault=other-address
  reply-9100=wrong-magic,switcher=10.8.8.8,control-fault=close
  switcher-magic=WiZnSwTc,switcher=10.9.9.9,control-fault=trickle:2
  passport-length=600,control-fault=not-listening
  passport-length=300
)

simulator=
work=$(mktemp -d)
trap '[ -n "$simulator" ] && stop_program "$simulator"; rm -rf "$work"' EXIT

start() {  # the simulator command
  local status=0
  start_ready "$work/sim.out" '^vantrel-modsim: ready' "$@" --duration 120 || status=$?
  simulator=$started
  return "$status"
}
stop() { stop_program "$simulator"; simulator=; }

# One command of the program in ${cli[@]}: its arguments, its output and its exit status.
run() {
  local status=0
  echo "\$ $*"
  "${cli[@]}" "$@" --settings "$work/panel.ini" 2>&1 || status=$?
  echo "exit $status"
}
# Everything an operator does with devices, from the panel side LOCAL: each device is checked
# before and after its switcher address is set, its passport saved and its control module sent
# commands of every kind (one check of them all, so that a Windows program starts fewer times).
session() {  # LOCAL DEVICE...
  local from=$1 device
  shift
  run check --from "$from" "$@" --json
  for device in "$@"; do
    rm -f "$work/passport.bin"
    run passport --from "$from" "$device" --out "$work/passport.bin"
    if [ -f "$work/passport.bin" ]; then od -An -tx1 -v "$work/passport.bin"; fi
    run switcher set --from "$from" "$device" 10.77.0.1
    run command "$device" 201 202 203:01 301 302:0A0B 401:0102030405 402 501:0011223344556677 \
      502 --target 5 --json
  done
  run check --from "$from" "$@" --json
}
# Windows programs end their lines with CR LF, as every console program there does.
expect_same() {  # label, then the two outputs' files
  if ! diff -u <(tr -d '\r' <"$2") <(tr -d '\r' <"$3"); then echo "FAIL: $1" >&2; exit 1; fi
  echo "same: $1"
}
# A comparison between two runs that both failed the same way would prove nothing.
expect_answers() {  # the output's file
  grep -q '"online": true' "$1" || { echo "FAIL: no device answered in $1" >&2; cat "$1"; exit 1; }
}

# 1. Each command line against a Linux simulator of its own playing every module, from 127.0.0.1
#    (a fresh one, since the session changes the modules' switcher addresses).
sim_args=()
devices=()
for i in "${!modules[@]}"; do
  devices+=("127.0.0.$((140 + i))")
  sim_args+=(--module "ip=${devices[i]},${modules[i]}")
done
for side in linux windows; do
  start "$linux/vantrel-modsim" "${sim_args[@]}"
  if [ $side = linux ]; then cli=("$linux/vantrel-cli"); else cli=(wine "$windows/vantrel-cli.exe"); fi
  session 127.0.0.1 "${devices[@]}" >"$work/$side.txt"
  stop
done
expect_answers "$work/linux.txt"
expect_same "vantrel-cli.exe against the Linux simulator" "$work/linux.txt" "$work/windows.txt"

# 2. The Linux command line against each module, played by either simulator at 127.0.0.1.
cli=("$linux/vantrel-cli")
for simulator_program in "$linux/vantrel-modsim" "$windows/vantrel-modsim.exe"; do
  runner=()
  [[ $simulator_program == *.exe ]] && runner=(wine)
  out="$work/$(basename "$simulator_program").txt"
  : >"$out"
  for module in "${modules[@]}"; do
    start "${runner[@]}" "$simulator_program" --module "ip=127.0.0.1,$module"
    session 127.0.0.2 127.0.0.1 >>"$out"
    stop
  done
done
expect_answers "$work/vantrel-modsim.txt"
expect_same "vantrel-modsim.exe against the Linux simulator" "$work/vantrel-modsim.txt" \
  "$work/vantrel-modsim.exe.txt"
