#!/usr/bin/env python3
"""--output=json: each script runs in both modes; every line of the JSON run must be valid against
docs/output.schema.json, and the JSON documents, written out as the text mode writes them, must
give the text run's standard output and standard error byte for byte (same rows, same values).

usage: json_output_test.py HXO_CMDLINE SOURCE_DIR
"""
import json
import os
import subprocess
import sys

import jsonschema

PROGRAM, SOURCE = sys.argv[1], sys.argv[2]
# Scripts that page nothing; run from the folder they name their files from.
SCRIPTS = [(SOURCE, "examples/tour.hxo"),
           (os.path.join(SOURCE, "tests/transcripts"), "objects.hxo"),
           (os.path.join(SOURCE, "tests/transcripts"), "help.hxo"),
           (os.path.join(SOURCE, "tests"), "json_listings.hxo")]
ENV = {k: v for k, v in os.environ.items() if k not in ("ORBITANE_SIM", "ORBITANE_SIM_TRACE", "LINES")}
ENV["PATH"] = "/usr/bin:/bin"

EMPTY = {"brokers": 'Object "%s" has no BROKERS.\n', "dsms": 'Object "%s" has no DSMS.\n',
         "targets": 'Object "%s" has no TARGETS.\n',
         "objects": "There are no objects currently active.\n"}
HEADER = {"brokers": 'BROKER List for "%s":\n', "dsms": 'DSM List for "%s":\n',
          "targets": 'TARGET List for "%s":\n', "objects": "Orbitane\n",
          "rules": "RULE %-65s   VALUE\n" % "DESCRIPTION"}


def tree_text(nodes, depth=0):
    text = ""
    for node in nodes:
        line = " " * (3 * depth) + "`- %s (%s" % (node["name"], node["kind"])
        if "dsmName" in node:
            line += " - " + node["dsmName"]
        elif "community" in node:
            line += " - %s @ %s" % (node.get("address", ""), node["community"])
        elif "address" in node:
            line += " - %s:%s" % (node["address"], node.get("port", ""))
        if "version" in node:
            line += " [uncontactable]" if node["version"] is None else " [v%s]" % node["version"]
        text += line + ")\n" + tree_text(node["children"], depth + 1)
    return text


def row_text(kind, row):
    prefix = row["object"] + ": " if "object" in row else ""
    if kind == "brokers":
        return "HOST: %-20s  PORT: %-5d\n" % (row["address"], row["port"])
    if kind == "dsms":
        return "NAME: %s\n" % row["dsmName"]
    if kind == "targets":
        return "HOST: %-20s  COMMUNITY: %s\n" % (row["address"], row["community"])
    if kind == "properties":
        return prefix + "%s = %s\n" % (row["name"], row["value"])
    if kind == "rules":
        assert row["value"] == (row["inherited"] if row["own"] is None else row["own"]), row
        mark = "[]" if row["own"] is None else "  "
        return prefix + "%-4d %-65s = %c%2d%c\n" % (row["rule"], row["description"], mark[0],
                                                    row["value"], mark[1])
    if kind == "history":
        return "%d. %s\n" % (row["number"], row["line"])
    raise AssertionError(kind)


def listing_text(document):
    kind = document["listing"]
    rows = document.get("rows", document.get("lines", document.get("tree")))
    if not rows and kind in EMPTY:
        return EMPTY[kind].replace("%s", document.get("object", ""))
    text = HEADER.get(kind, "").replace("%s", document.get("object", ""))
    if kind == "objects":
        return text + tree_text(rows)
    if kind in ("log", "help"):
        return text + "".join(line + "\n" for line in rows)
    return text + "".join(row_text(kind, row) for row in rows)


def as_text(document):
    kind = document["type"]
    if kind == "listing":
        return listing_text(document)
    if kind == "error":
        place = ""
        if document["script"] is not None:
            place = document["script"] + (":%d" % document["line"] if document["line"] else "") + ": "
        return place + document["message"] + "\n"
    return document["text"] + "\n"


def run(folder, script, *options):
    return subprocess.run([PROGRAM, *options, script], cwd=folder, env=ENV, stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=60)


def main():
    with open(os.path.join(SOURCE, "docs/output.schema.json")) as f:
        validator = jsonschema.Draft202012Validator(json.load(f))
    seen = set()
    failures = 0
    for folder, script in SCRIPTS:
        text, data = run(folder, script), run(folder, script, "--output=json")
        if text.returncode != data.returncode:
            print("%s: exit %d in text, %d in JSON" % (script, text.returncode, data.returncode))
            failures += 1
        for stream, expected, actual in (("stdout", text.stdout, data.stdout),
                                         ("stderr", text.stderr, data.stderr)):
            rebuilt = b""
            for number, line in enumerate(actual.decode().splitlines(), 1):
                document = json.loads(line)
                for error in validator.iter_errors(document):
                    print("%s %s:%d: %s\n  %s" % (script, stream, number, error.message, line))
                    failures += 1
                if document["type"] == "listing":
                    rows = document.get("rows", document.get("lines", document.get("tree")))
                    seen.add(document["listing"] + (" of a selection" if rows and "object" in rows[0] else ""))
                    # What the text does not show: a change not committed, a registered name.
                    if any(isinstance(row, dict) and row.get("changed") for row in rows):
                        seen.add("changed property")
                    if document["listing"] == "targets" and any(row["name"] for row in rows):
                        seen.add("registered target")
                rebuilt += as_text(document).encode()
            if rebuilt != expected:
                print("%s: the JSON %s does not give the text's" % (script, stream))
                import difflib
                sys.stdout.writelines(difflib.unified_diff(expected.decode().splitlines(True),
                                                           rebuilt.decode().splitlines(True),
                                                           "text", "json"))
                failures += 1
    wanted = {"brokers", "dsms", "targets", "properties", "properties of a selection", "rules",
              "rules of a selection", "log", "history", "objects", "help", "changed property",
              "registered target"}
    if wanted - seen:
        print("listings never seen: %s" % sorted(wanted - seen))
        failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
