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
