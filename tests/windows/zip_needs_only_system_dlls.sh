#!/usr/bin/env bash
# Every program in the Windows zip imports only DLLs that come with Windows itself, so the zip
# runs as it is on a computer without a compiler's runtime.
set -euo pipefail
zip=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
shopt -s globstar nullglob
programs=("$work"/**/*.exe)
[ ${#programs[@]} -ge 2 ] || { echo "no programs in $zip" >&2; exit 1; }
system='^(advapi32|iphlpapi|kernel32|msvcrt|ws2_32|psapi|user32|shell32|ole32|bcrypt|ntdll)\.dll$'
status=0
for program in "${programs[@]}"; do
  while read -r dll; do
    if ! [[ ${dll,,} =~ $system ]] && [ ! -e "$(dirname "$program")/$dll" ]; then
      echo "$(basename "$program") needs $dll, which is neither Windows' own nor in the zip" >&2
      status=1
    fi
  done < <(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p')
done
[ $status -eq 0 ] && echo "${#programs[@]} programs need only Windows' own DLLs"
exit $status
