#!/usr/bin/env bash
# vantrel-exporter.exe under Wine serves Prometheus on loopback: a listed device's probe answers
# as the device did, /sd lists it, and /metrics counts the probe, fetched with the Linux curl.
# The device is the Linux vantrel-modsim's: the exporter probes from 127.0.0.1, and under Wine 8
# vantrel-modsim.exe can serve no other address than that one (see cli_matches_linux.sh).
# Usage: exporter_serves_metrics.sh WINDOWS_BIN LINUX_BIN   (exit 77: no Linux simulator)
set -euo pipefail
windows=$1
linux=$2
source "$(dirname "$0")/linux_side.sh"
need_linux_programs "$linux" vantrel-modsim
need_private_loopback
port=9110
pids=()
work=$(mktemp -d)
trap 'stop_program "${pids[@]}"; rm -rf "$work"' EXIT

start() {  # output file, ready text, then the command
  local status=0
  start_ready "$@" || status=$?
  pids+=("$started")
  return "$status"
}
fetch() { curl -sS --max-time 10 "http://127.0.0.1:$port$1"; }
expect_in() {  # label, text, wanted line
  if ! grep -qxF -- "$3" <<<"$2"; then
    printf 'FAIL: %s: no line "%s" in\n%s\n' "$1" "$3" "$2" >&2
    exit 1
  fi
  echo "ok: $1"
}

device=127.0.0.140
start "$work/sim.out" '^vantrel-modsim: ready' "$linux/vantrel-modsim" --duration 60 \
  --module ip=$device,mac=00:0A:1B:2C:3D:10
settings=$work/panel.ini
wine "$windows/vantrel-cli.exe" devices add $device 00:0A:1B:2C:3D:10 --settings "$settings" \
  >/dev/null
start "$work/exporter.out" "^vantrel-exporter: listening on http://127.0.0.1:$port/" \
  wine "$windows/vantrel-exporter.exe" --settings "$settings" --from 127.0.0.1 \
  --listen 127.0.0.1:$port

probe=$(fetch "/probe?target=$device" | tr -d '\r')
expect_in "the probe of $device succeeds" "$probe" "vantrel_probe_success 1"
expect_in "/sd lists $device" "$(fetch /sd)" \
  "[{\"targets\":[\"$device\"],\"labels\":{\"__meta_vantrel_mac\":\"00:0A:1B:2C:3D:10\"}}]"
metrics=$(fetch /metrics | tr -d '\r')
expect_in "/metrics counts the device" "$metrics" "vantrel_exporter_devices 1"
expect_in "/metrics counts the probe" "$metrics" 'vantrel_exporter_probes_total{result="success"} 1'
refused=$(curl -sS --max-time 10 -o /dev/null -w '%{http_code}' \
  "http://127.0.0.1:$port/probe?target=127.0.0.99")
expect_in "an unlisted target is refused" "$refused" 403
