"""autorun-check --sarif on the discs sarif.sh makes in WORK: each log valid against the
SARIF 2.1.0 schema, a rule for each code of the README's table, and the JSON report's
findings, in its order, located as the README says.
  sarif-check.py CHECKER SCHEMA README WORK"""
import json
import os
import re
import subprocess
import sys
from urllib.parse import quote

import jsonschema

checker, schema, readme, work = sys.argv[1:]
validator = jsonschema.Draft4Validator(json.load(open(schema, encoding="utf-8")))
levels = {"error": "error", "warning": "warning", "info": "note"}
table = sorted((code, levels[severity], text, text.replace("`", "")) for code, severity, text in
               re.findall(r"^\| `([a-z0-9-]+)` \| (\w+)[^|]* \| (.*) \|$",
                          open(readme, encoding="utf-8").read(), re.M))
env = {name: value for name, value in os.environ.items() if name != "KOVA_REGISTRY"}
env["PATH"] = "/nonexistent"


def locations(folder, disc, status):
    """The results' locations of DISC checked from FOLDER, once the log holds up."""
    folder = os.path.join(work, folder)
    sarif, report = (subprocess.run([checker, form, disc], cwd=folder, env=env,
                                    capture_output=True) for form in ("--sarif", "--json"))
    assert (sarif.returncode, report.returncode) == (status, status), "exit status"
    log = json.loads(sarif.stdout.decode("utf-8"))
    validator.validate(log)
    run = log["runs"][0]
    rules = run["tool"]["driver"]["rules"]
    assert sorted((r["id"], r["defaultConfiguration"]["level"], r["shortDescription"]["markdown"],
                   r["shortDescription"]["text"]) for r in rules) == table, "rules"
    assert not [r for r in rules if "{" in r["help"]["text"]], "a fact's name in a help"
    # A file's line is its region's; an image's, a property.
    got = [(r["ruleId"], rules[r["ruleIndex"]]["id"], r["level"], r["message"]["text"],
            r["locations"][0]["physicalLocation"].get("region", {}).get(
                "startLine", r.get("properties", {}).get("autorunInfLine")))
           for r in run["results"]]
    assert got == [(f["code"], f["code"], levels[f["severity"]],
                    f"{f['message']}. Fix: {f['fix']}.", f["line"])
                   for f in json.loads(report.stdout)["findings"]], "results"
    assert run["originalUriBaseIds"]["%SRCROOT%"]["uri"] == \
        "file://" + quote(os.path.normpath(folder)) + "/", "%SRCROOT%"
    return [r["locations"][0]["physicalLocation"] for r in run["results"]]


def at(uri, lines=(9, None, 12), base=True):
    """The example's findings in `uri`: key-wrong-case on line 9, autostart-default-value,
    setup-not-found on line 12 (in an image, on none)."""
    artifact = {"uri": uri, "uriBaseId": "%SRCROOT%"} if base else {"uri": uri}
    return [{"artifactLocation": artifact} | ({"region": {"startLine": n}} if n else {})
            for n in lines]


absolute = "file://" + quote(f"{work}/my disc é/autorun.inf")
cases = [("a clean disc: no results", ".", "clean", 0, []),
         ("the example: on its lines", ".", "my disc é", 1, at("my%20disc%20%C3%A9/autorun.inf")),
         ("given absolute: a file: URI", "sub", f"{work}/my disc é", 1, at(absolute, base=False)),
         ("given above the folder run in: the same", "sub", "../my disc é", 1,
          at(absolute, base=False)),
         ("an image: the image, without a region", ".", "product.iso", 1,
          at("product.iso", (None,) * 3)),
         ("no autorun.inf: where it would be", ".", "empty", 1, at("empty/autorun.inf", (None,)))]
failed = 0
for what, folder, disc, status, expected in cases:
    try:
        assert locations(folder, disc, status) == expected, "locations"
        print("ok", what)
    except (AssertionError, jsonschema.ValidationError) as error:
        print(f"FAIL {what}: {error}")
        failed = 1
sys.exit(failed)
