# Sourced by the Windows tests that meet Linux programs on loopback.
# need_linux_programs DIR PROGRAM...: exit 77 (skipped) unless DIR holds each Linux program.
need_linux_programs() {
  local folder=$1 program
  shift
  for program in "$@"; do
    if [ ! -x "$folder/$program" ]; then
      echo "no Linux build at '$folder' with $program" >&2
      exit 77
    fi
  done
}
# Only loopback is ever addressed: refuse to run where other interfaces have addresses.
need_private_loopback() {
  if ip -4 -o addr show | grep -v ' lo ' | grep -q inet; then
    echo "run this inside a network namespace of its own (unshare -n)" >&2
    exit 1
  fi
}
# start_ready OUT READY COMMAND...: COMMAND in the background, its output in OUT, waited for (up
# to 20 s) until a line of OUT matches READY; its pid is left in started. OUT is emptied first:
# the child empties it only once it runs, and until then an earlier program's ready line would
# pass for this one's. On failure the output and the sockets held on loopback go to stderr.
start_ready() {
  local out=$1 ready=$2
  shift 2
  : >"$out"
  "$@" >"$out" 2>&1 &
  started=$!
  for _ in $(seq 400); do
    grep -q "$ready" "$out" && return 0
    sleep 0.05
  done
  echo "not ready: $*: $(cat "$out")" >&2
  echo "sockets held on loopback:" >&2
  ss -tuanp >&2
  return 1
}
# stop_program PID...: Ctrl+C, which Wine hands a Windows console program as its console event,
# so the program closes its sockets and ends; then its end. Killed outright, a program under
# Wine now and then leaves its sockets bound in the wineserver, and the next program on that
# address cannot bind.
stop_program() {
  local pid
  for pid in "$@"; do kill -INT "$pid" 2>/dev/null || true; done
  for pid in "$@"; do wait "$pid" 2>/dev/null || true; done
}
