#!/usr/bin/env bash
# autorun-check on the demo disc, whose open= program is the launcher, signed by the
# release's own signing and not: it must tell the launcher by its version resource, how
# AutoPlay names it, and its signer (the test certificate's, "Kova test signer"), read by
# Windows' crypt32; and find the unsigned launcher unsigned, the signed one without fault
# but for the time stamp the test's signing has none of.
#   signed-check-test.sh SIGNED_DIR CHECKER.exe AUTORUN.exe DEMO_AUTORUN.INF [EMULATOR...]
set -u
signed=$1 checker=$2 built=$3 demo=$4
shift 4
work=$(mktemp -d "${TMPDIR:-/tmp}/kova-signed-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
cp "$checker" "$work/"
for kind in signed unsigned; do
  mkdir -p "$work/$kind"
  if [ "$kind" = signed ]; then cp "$signed/autorun.exe" "$work/$kind/"; else cp "$built" "$work/$kind/"; fi
  cp "$demo" "$work/$kind/autorun.inf"
  (cd "$work" && "$@" "./$(basename "$checker")" --json "$kind" >"$work/$kind.json" 2>&1 </dev/null)
  python3 - "$work/$kind.json" "$kind" <<'PY' || failed=1
import json, sys
text = open(sys.argv[1], encoding="utf-8", errors="replace").read()
# An emulator may hand over more than the report; the report is the one JSON object.
report = json.loads(text[text.index("{"):text.rindex("}") + 1])
start = report["autorun"]["start"]
want = sys.argv[2] == "signed"
problems = []
if start["isLauncher"] is not True:
    problems.append(f"not taken for the launcher: {start}")
if start["description"] != "Starts the product from its disc":
    problems.append(f"description {start['description']!r}")
if start["signed"] is not want:
    problems.append(f"signed is {start['signed']}, expected {want}")
if start["signer"] != ("Kova test signer" if want else None):
    problems.append(f"signer {start['signer']!r}")
signature_findings = [f["code"] for f in report["findings"]
                      if f["code"].startswith("signature-") or f["code"] == "program-unsigned"]
wanted = [] if want else ["program-unsigned"]
if [code for code in signature_findings if code != "signature-no-timestamp"] != wanted:
    problems.append(f"signature findings {signature_findings}, expected {wanted}")
if problems:
    sys.exit(f"FAIL {sys.argv[2]} launcher: " + "; ".join(problems))
print(f"ok {sys.argv[2]} launcher: {start['autoPlayName']}")
PY
done
exit $failed
