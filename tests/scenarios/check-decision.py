#!/usr/bin/env python3
"""Holds autorun-check's report of a scenario against what the launcher did there.

  check-decision.py posix|wine REPORT STATUS CALLS STARTED [EXPECTED_FINDINGS]

REPORT is the checker's --json output and STATUS its exit status; CALLS is the
launcher's record of calls (the stand-in's, posix) or Wine's relay trace (wine); STARTED
is the recording program's "started.txt". The checker's decision.commandLine must be
exactly the command line the launcher handed to WinExec (null when it handed none), and
a program must have started exactly when decision.programFound names one. With
EXPECTED_FINDINGS, the finding codes must be exactly those it lists, one a line.
"""
import json
import os
import re
import sys


def ansi(data: bytes) -> str:
    """Windows-1252 as Windows reads it: its five unassigned bytes stand for themselves."""
    return "".join(bytes([b]).decode("cp1252", errors="ignore") or chr(b) for b in data)


def unescape(text: str) -> bytes:
    """The bytes of a text shown C-style: \\\\, \\", \\n, \\r, \\t and \\xNN."""
    out = bytearray()
    i = 0
    simple = {"\\": b"\\", '"': b'"', "n": b"\n", "r": b"\r", "t": b"\t"}
    while i < len(text):
        if text[i] == "\\" and text[i + 1] in simple:
            out += simple[text[i + 1]]
            i += 2
        elif text[i] == "\\" and text[i + 1] == "x":
            out.append(int(text[i + 2:i + 4], 16))
            i += 4
        else:
            out += text[i].encode("latin-1")
            i += 1
    return bytes(out)


QUOTED = r'"((?:[^"\\]|\\.)*)"'


def handed_posix(lines):
    """WinExec calls in the launcher's own record: the launcher records first."""
    if not lines:
        return []
    launcher = lines[0].split(":", 1)[0]
    found = []
    for line in lines:
        match = re.match(re.escape(launcher) + r":WinExec\(" + QUOTED + r", ", line)
        if match:
            found.append(unescape(match.group(1)))
    return found


def handed_wine(lines):
    """WinExec calls in Wine's relay trace: "Call KERNEL32.WinExec(0061fe3c "...",00000001)"."""
    found = []
    for line in lines:
        match = re.search(r"Call KERNEL32\.WinExec\([0-9a-f]+ " + QUOTED + r"(\.\.\.)?,", line)
        if match:
            if match.group(2):
                sys.exit("FAIL: Wine's trace cut the command line short: " + line)
            found.append(unescape(match.group(1)))
    return found


def read_report(path):
    """The checker's report; one that is not there or not JSON ends the check."""
    try:
        with open(path, encoding="utf-8") as report_file:
            report = json.load(report_file)
        if not {"commandLine", "programFound"} <= report["decision"].keys():
            raise KeyError("decision.commandLine, decision.programFound")
        if not all("code" in finding for finding in report["findings"]):
            raise KeyError("findings[].code")
        return report
    except (OSError, ValueError, KeyError, TypeError, AttributeError) as error:
        sys.exit(f"FAIL: the checker's report {path} cannot be read ({error})")


def main():
    if len(sys.argv) not in (6, 7) or sys.argv[1] not in ("posix", "wine"):
        sys.exit("usage: check-decision.py posix|wine REPORT STATUS CALLS STARTED [EXPECTED_FINDINGS]")
    mode, report_path, status, calls_path, started_path = sys.argv[1:6]
    expected_findings = sys.argv[6] if len(sys.argv) > 6 else None
    lines = []
    if os.path.exists(calls_path):
        with open(calls_path, encoding="latin-1") as calls:
            lines = calls.read().splitlines()
    handed = handed_posix(lines) if mode == "posix" else handed_wine(lines)
    started = os.path.exists(started_path) and os.path.getsize(started_path) > 0
    problems = []
    if len(handed) > 1:
        problems.append(f"the launcher called WinExec {len(handed)} times")
    handed_line = ansi(handed[0]) if handed else None

    if status == "2":
        # The check could not run: only an "autorun.inf" that cannot be read does that,
        # and the launcher then starts nothing.
        if handed_line is not None or started:
            problems.append("the checker could not run, but the launcher started something")
    elif status not in ("0", "1"):
        # Not the checker's own ending (127: it could not be started at all).
        problems.append(f"the checker exited with {status}")
    else:
        report = read_report(report_path)
        decision = report["decision"]
        if decision["commandLine"] != handed_line:
            problems.append(f"checker's commandLine {decision['commandLine']!r}, "
                            f"launcher's WinExec {handed_line!r}")
        if (decision["programFound"] is not None) != started:
            problems.append(f"checker's programFound {decision['programFound']!r}, "
                            f"but a program {'started' if started else 'did not start'}")
        codes = sorted(finding["code"] for finding in report["findings"])
        # Informational findings need no change and leave the exit status 0.
        failing = [finding["code"] for finding in report["findings"] if finding["severity"] != "info"]
        if (status == "0") != (not failing):
            problems.append(f"exit status {status} with findings {codes}")
        if expected_findings:
            with open(expected_findings, encoding="utf-8") as wanted_file:
                wanted = sorted(line.strip() for line in wanted_file if line.strip())
            if codes != wanted:
                problems.append(f"findings {codes}, expected {wanted}")
    if problems:
        print("FAIL checker and launcher disagree: " + "; ".join(problems))
        sys.exit(1)


main()
