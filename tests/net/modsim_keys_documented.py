#!/usr/bin/env python3
"""sim/README.md and the modsim man page document exactly what `vantrel-modsim --list-keys` lists:
every module key, reply behaviour and control fault, and nothing that does not exist.

usage: modsim_keys_documented.py VANTREL_MODSIM README MAN_PAGE
"""
import re
import subprocess
import sys

KINDS = ("keys", "reply behaviours", "control faults")


def bare(name):
    """'busy[:N]', 'delay:N', 'trickle:MS' -> the word itself."""
    return re.split(r"[\[:]", name, maxsplit=1)[0]


def listed(modsim):
    out = subprocess.run([modsim, "--list-keys"], check=True, capture_output=True, text=True,
                         timeout=10).stdout
    found = {kind: set() for kind in KINDS}
    kind = None
    for line in out.splitlines():
        if not line.startswith(" "):
            kind = next((k for k in KINDS if line.lower().startswith(k)), None)
            if kind is None:
                sys.exit(f"--list-keys: unexpected heading {line!r}")
        elif kind is None or not line.strip():
            sys.exit(f"--list-keys: row {line!r} outside a heading")
        else:
            found[kind].add(bare(line.split()[0]))
    return found


def in_readme(path):
    """The backquoted names in the first cell of each table, by what the table's header says."""
    found = {kind: set() for kind in KINDS}
    kind = None
    for line in open(path, encoding="utf-8"):
        if not line.startswith("|"):
            kind = None
            continue
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
        if cells[0] in ("key", "value"):
            header = " ".join(cells)
            kind = ("keys" if cells[0] == "key" else
                    "control faults" if "control module" in header else "reply behaviours")
            continue
        if kind is None or set(cells[0]) <= set("-"):
            continue
        found[kind].update(bare(name) for name in re.findall(r"`([^`]+)`", cells[0]))
    return found


def in_man_page(path):
    """The .B name after each .TP of the sections MODULE KEYS, REPLY BEHAVIOURS, CONTROL FAULTS."""
    sections = {"MODULE KEYS": "keys", "REPLY BEHAVIOURS": "reply behaviours",
                "CONTROL FAULTS": "control faults"}
    found = {kind: set() for kind in KINDS}
    kind = None
    previous = ""
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\n")
        if line.startswith(".SH"):
            kind = sections.get(line[3:].strip().strip('"'))
        elif kind and previous == ".TP" and line.startswith(".B "):
            found[kind].add(bare(line[3:].replace("\\-", "-").strip()))
        previous = line
    return found


def main():
    modsim, readme, man_page = sys.argv[1:4]
    truth = listed(modsim)
    failures = []
    for where, documented in (("sim/README.md", in_readme(readme)),
                              ("the man page", in_man_page(man_page))):
        for kind in KINDS:
            for name in sorted(truth[kind] - documented[kind]):
                failures.append(f"{where} does not document the {kind[:-1]} {name!r}")
            for name in sorted(documented[kind] - truth[kind]):
                failures.append(f"{where} documents the {kind[:-1]} {name!r}, which does not exist")
    if not all(truth[kind] for kind in KINDS):
        failures.append("--list-keys lists nothing under some heading")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
