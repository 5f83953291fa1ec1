#!/usr/bin/env bash
# Runs a test program built for Windows under Wine, and starts and stops the Linux vantrel-modsim
# whenever it asks (sim/harness/modsim_requests.cpp says how): a Windows process under Wine cannot
# hold a Linux program as its child. Every simulator is stopped when the test ends, and the
# whole run is bounded.
# Usage: with_linux_modsim.sh LINUX_BIN PROGRAM.exe [ARGUMENTS...]   (exit 77: no Linux build)
set -euo pipefail
linux=$1
program=$2
shift 2
source "$(dirname "$0")/linux_side.sh"
need_linux_programs "$linux" vantrel-modsim
need_private_loopback
readonly run_seconds=280 ready_tries=100
work=$(mktemp -d)
requests=$work/requests
mkdir "$requests"
declare -A simulators=()
stop_all() {
  for pid in "${simulators[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap stop_all EXIT

# The test names its files as Windows paths; the simulator takes them as Linux ones.
linux_path() {
  if [[ $1 =~ ^[A-Za-z]:[/\\] ]]; then winepath -u "$1" 2>/dev/null; else printf '%s' "$1"; fi
}

start_simulator() {  # request name
  local name=$1 line args=()
  while IFS= read -r line; do args+=("$(linux_path "$line")"); done <"$requests/$name.taken"
  "$linux/vantrel-modsim" "${args[@]}" >"$requests/$name.out" 2>"$requests/$name.err" &
  simulators[$name]=$!
  for _ in $(seq "$ready_tries"); do
    if grep -q '^vantrel-modsim: ready' "$requests/$name.out"; then
      : >"$requests/$name.ready"
      return
    fi
    kill -0 "${simulators[$name]}" 2>/dev/null || break
    sleep 0.1
  done
  cp "$requests/$name.err" "$requests/$name.part"
  mv "$requests/$name.part" "$requests/$name.failed"
}

stop_simulator() {  # request name
  local name=$1 status=0
  if [ -n "${simulators[$name]:-}" ]; then
    kill "${simulators[$name]}" 2>/dev/null || true
    wait "${simulators[$name]}" || status=$?
    unset "simulators[$name]"
  fi
  echo "$status" >"$requests/$name.part"
  mv "$requests/$name.part" "$requests/$name.stopped"
}

windows_dir() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }
VANTREL_MODSIM_REQUESTS=$(windows_dir "$requests") WINEDEBUG=${WINEDEBUG:--all} \
  wine "$program" "$@" &
test_pid=$!
end=$((SECONDS + run_seconds))
while kill -0 "$test_pid" 2>/dev/null; do
  if [ "$SECONDS" -ge "$end" ]; then
    echo "the test ran past ${run_seconds} s: stopped" >&2
    kill "$test_pid"
    break
  fi
  for request in "$requests"/*.args "$requests"/*.stop; do
    [ -e "$request" ] || continue
    name=$(basename "$request")
    case $name in
      *.args) mv "$request" "$requests/${name%.args}.taken"; start_simulator "${name%.args}" ;;
      *.stop) rm -f "$request"; stop_simulator "${name%.stop}" ;;
    esac
  done
  sleep 0.02
done
status=0
wait "$test_pid" || status=$?
exit "$status"
