#!/usr/bin/env python3
"""Holds autorun-check's report of a scenario against what the launcher did there.

  check-decision.py posix|wine REPORT STATUS CALLS STARTED [EXPECTED_FINDINGS]

REPORT is the checker's --json output and STATUS its exit status; CALLS is the
launcher's record of calls (the stand-in's, posix) or Wine's relay trace (wine); STARTED
is the recording program's "started.txt". The checker's decision.commandLine must be
exactly the command line the launcher handed to CreateProcessW (null when it handed none), and
a program must have started exactly when decision.programFound names one. With
EXPECTED_FINDINGS, the finding codes must be exactly those it lists, one a line.
"""
import json
import os
import re
import sys


def unescape(text: str) -> str:
    """A text shown C-style, as Wine's relay trace and the stand-in's record show UTF-16:
    backslash escapes for the backslash, the quote, line ends and tabs, and \\NNNN (four
    hexadecimal digits) for any other unit outside printable ASCII; surrogate pairs are
    joined."""
    units = []
    i = 0
    simple = {"\\": "\\", '"': '"', "n": "\n", "r": "\r", "t": "\t"}
    while i < len(text):
        if text[i] == "\\" and text[i + 1] in simple:
            units.append(ord(simple[text[i + 1]]))
            i += 2
        elif text[i] == "\\":
            units.append(int(text[i + 1:i + 5], 16))
            i += 5
        else:
            units.append(ord(text[i]))
            i += 1
    data = b"".join(unit.to_bytes(2, "little") for unit in units)
    return data.decode("utf-16-le", errors="surrogatepass")


WIDE = r'L"((?:[^"\\]|\\.)*)"'


def handed_posix(lines):
    """CreateProcessW calls in the launcher's own record: the launcher records first."""
    if not lines:
        return []
    launcher = lines[0].split(":", 1)[0]
    found = []
    for line in lines:
        match = re.match(re.escape(launcher) + r":CreateProcessW\(NULL, " + WIDE + r", ", line)
        if match:
            found.append(unescape(match.group(1)))
    return found


def handed_wine(lines):
    """CreateProcessW calls the launcher itself made, in Wine's relay trace:
    "0024:Call KERNEL32.CreateProcessW(00000000,0061fe3c L"...",00000000,...)" (or
    kernelbase's, which kernel32 hands it on to), with no program name beside the line as
    the launcher passes none. Only calls a program makes itself count, not those that the
    system's code makes inside another call (the shell's, say), nor Wine's own services
    starting their helpers from the Windows folder."""
    found = []
    depth = {}
    for line in lines:
        call = re.match(r"([0-9a-f]+):(Call|Ret) ", line)
        if not call:
            continue
        thread = call.group(1)
        if call.group(2) == "Ret":
            depth[thread] = depth.get(thread, 0) - 1
            continue
        depth[thread] = depth.get(thread, 0) + 1
        if depth[thread] != 1:
            continue
        match = re.search(r"Call (?i:kernel(?:32|base))\.CreateProcessW\(0+,[0-9a-f]+ " + WIDE + r"(\.\.\.)?,",
                          line)
        if match and not match.group(1).lower().startswith("c:\\\\windows\\\\"):
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


PROGRAM_FILE_FINDINGS = {
    "program-unsigned", "signature-invalid", "signature-not-rsa", "signature-no-timestamp",
    "setup-wrong-machine", "hkcu-elevated-setup",
}


def main():
    if len(sys.argv) not in (6, 7) or sys.argv[1] not in ("posix", "wine"):
        sys.exit("usage: check-decision.py posix|wine REPORT STATUS CALLS STARTED [EXPECTED_FINDINGS]")
    mode, report_path, status, calls_path, started_path = sys.argv[1:6]
    expected_findings = sys.argv[6] if len(sys.argv) > 6 else None
    lines = []
    if os.path.exists(calls_path):
        with open(calls_path, encoding="utf-8", errors="replace") as calls:
            lines = calls.read().splitlines()
    handed = handed_posix(lines) if mode == "posix" else handed_wine(lines)
    started = os.path.exists(started_path) and os.path.getsize(started_path) > 0
    problems = []
    if len(handed) > 1:
        problems.append(f"the launcher called CreateProcessW {len(handed)} times")
    handed_line = handed[0] if handed else None

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
                            f"launcher's CreateProcessW {handed_line!r}")
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
            # What the programs' files say of themselves (a signature, the machine they are
            # built for, whether Windows elevates them) is the recording program's, which is
            # a Windows program under Wine only: those findings are not compared.
            codes = [code for code in codes if code not in PROGRAM_FILE_FINDINGS]
            wanted = [code for code in wanted if code not in PROGRAM_FILE_FINDINGS]
            if codes != wanted:
                problems.append(f"findings {codes}, expected {wanted}")
        # A setup per machine: the one the checker names for the run's machine is the one
        # the launcher started.
        machines = decision.get("setupByMachine")
        machine = os.environ.get("KOVA_SCENARIO_MACHINE", "x86").replace("-without-x64",
                                                                         "WithoutX64")
        if machines and decision["action"] == "setup":
            if machines[machine]["commandLine"] != handed_line:
                problems.append(f"setupByMachine names {machines[machine]['commandLine']!r} "
                                f"for {machine}, the launcher started {handed_line!r}")
    if problems:
        print("FAIL checker and launcher disagree: " + "; ".join(problems))
        sys.exit(1)


main()
