#!/usr/bin/env python3
"""check_winget.py MANIFEST-DIR SETUP SCHEMA-DIR README: the package manager's manifest
checked as the community repository's validation starts (every scalar read as a string,
as the package manager reads it, but the schema's integer fields; a key the schema does
not name refused), and against the file and the exit codes it describes."""
import hashlib
import json
import sys
from pathlib import Path

import jsonschema
import yaml

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
import exit_codes  # noqa: E402

IDENTIFIER = "Brindlemark.QuorvexPlenar"
folder, setup, schemas, readme = map(Path, sys.argv[1:5])
faults = []


def strict(schema):
    """The schema with every object closed to the keys it names."""
    if isinstance(schema, list):
        return [strict(v) for v in schema]
    if not isinstance(schema, dict):
        return schema
    closed = {k: strict(v) for k, v in schema.items()}
    if "properties" in closed:
        closed.setdefault("additionalProperties", False)
    return closed


def typed(value, schema, root):
    """The document with the texts of integer fields made numbers."""
    while "$ref" in schema:
        schema = root["definitions"][schema["$ref"].split("/")[-1]]
    if isinstance(value, dict):
        return {k: typed(v, schema.get("properties", {}).get(k, {}), root) for k, v in value.items()}
    if isinstance(value, list):
        return [typed(v, schema.get("items", {}), root) for v in value]
    integer = "integer" in schema.get("type", []) and value.lstrip("-").isdigit()
    return int(value) if integer else value


def load(name, kind):
    schema = strict(json.loads((schemas / f"manifest.{kind}.1.10.0.json").read_text()))
    text = (folder / name).read_text(encoding="utf-8")
    header = "# yaml-language-server: $schema=" + schema["$id"]
    if text.splitlines()[0] != header:
        faults.append(f"{name}: first line {text.splitlines()[0]!r}, not {header!r}")
    document = typed(yaml.load(text, Loader=yaml.BaseLoader), schema, schema)
    for error in jsonschema.Draft7Validator(schema).iter_errors(document):
        faults.append(f"{name}: {'/'.join(map(str, error.path))}: {error.message}")
    return document, jsonschema.Draft7Validator(schema)


version, _ = load(f"{IDENTIFIER}.yaml", "version")
installer, installer_schema = load(f"{IDENTIFIER}.installer.yaml", "installer")
locale, _ = load(f"{IDENTIFIER}.locale.{version['DefaultLocale']}.yaml", "defaultLocale")

# The three agree, with each other and with the program.
for document in (version, installer, locale):
    got = (document["PackageIdentifier"], document["PackageVersion"])
    if got != (IDENTIFIER, exit_codes.VERSION):
        faults.append(f"{document['ManifestType']}: {got}, not {IDENTIFIER} {exit_codes.VERSION}")
entry = installer["AppsAndFeaturesEntries"][0]
if (locale["PackageLocale"], entry["DisplayVersion"], entry["ProductCode"]) != (
        version["DefaultLocale"], exit_codes.VERSION, "QuorvexPlenar"):
    faults.append(f"locale {locale['PackageLocale']} or uninstall entry {entry}")

# The file as shipped, and every exit code of the table with its response.
sha256 = installer["Installers"][0]["InstallerSha256"]
if sha256.upper() != hashlib.sha256(setup.read_bytes()).hexdigest().upper():
    faults.append(f"InstallerSha256 {sha256} is not that of {setup}")
rows = {code: response for _, code, response, _, _ in exit_codes.ROWS if code != 0}
listed = {r["InstallerReturnCode"]: r["ReturnResponse"] for r in installer["ExpectedReturnCodes"]}
if listed != rows:
    faults.append(f"ExpectedReturnCodes {listed}, the table has {rows}")
if exit_codes.readme_table() not in readme.read_text():
    faults.append("the README's table of exit codes is not `tools/exit_codes.py --readme`")

# The reading refuses what the repository's would: an unknown key, a number for a text.
bad = dict(installer, Silent="/S", PackageVersion=2.11)
if not {"additionalProperties", "type"} <= {e.validator for e in installer_schema.iter_errors(bad)}:
    faults.append("the strict schema lets an unknown key or a number through")

for fault in faults:
    print("FAIL:", fault)
print(f"winget manifest in {folder}: {len(faults)} faults")
sys.exit(1 if faults else 0)
