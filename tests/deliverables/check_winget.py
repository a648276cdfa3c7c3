#!/usr/bin/env python3
"""check_winget.py MANIFEST-DIR SETUP SCHEMA-DIR README: the package manager's manifest
checked as the community repository's validation starts, and against what it describes.
Every scalar is read as a string, as the package manager reads it, but for the schema's
integer fields; a key the schema does not name is refused."""
import copy
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
    if isinstance(schema, dict):
        schema = {k: strict(v) for k, v in schema.items()}
        if "properties" in schema:
            schema.setdefault("additionalProperties", False)
    elif isinstance(schema, list):
        schema = [strict(v) for v in schema]
    return schema


def typed(value, schema, root):
    """The document with the strings of integer fields made numbers."""
    while "$ref" in schema:
        schema = root["definitions"][schema["$ref"].split("/")[-1]]
    if isinstance(value, dict):
        return {k: typed(v, schema.get("properties", {}).get(k, {}), root) for k, v in value.items()}
    if isinstance(value, list):
        return [typed(v, schema.get("items", {}), root) for v in value]
    kinds = schema.get("type", [])
    if "integer" in kinds and isinstance(value, str) and value.lstrip("-").isdigit():
        return int(value)
    return value


def load(name, kind):
    """The file's document, checked against its schema; None when it cannot be read."""
    path = folder / name
    schema = strict(json.loads((schemas / f"manifest.{kind}.1.10.0.json").read_text()))
    try:
        text = path.read_text(encoding="utf-8")
    except OSError as error:
        faults.append(f"{name}: {error}")
        return None
    header = "# yaml-language-server: $schema=" + schema["$id"]
    if text.splitlines()[0] != header:
        faults.append(f"{name}: first line {text.splitlines()[0]!r}, not {header!r}")
    document = typed(yaml.load(text, Loader=yaml.BaseLoader), schema, schema)
    for error in jsonschema.Draft7Validator(schema).iter_errors(document):
        faults.append(f"{name}: {'/'.join(map(str, error.path))}: {error.message}")
    return document, schema


version = load(f"{IDENTIFIER}.yaml", "version")
locale = version and version[0].get("DefaultLocale", "")
installer = load(f"{IDENTIFIER}.installer.yaml", "installer")
default = load(f"{IDENTIFIER}.locale.{locale}.yaml", "defaultLocale")
if None in (version, installer, default):
    sys.exit("\n".join(["FAIL: " + f for f in faults]))

# The three agree, with each other and with the program.
for document, _ in (version, installer, default):
    got = (document["PackageIdentifier"], document["PackageVersion"])
    if got != (IDENTIFIER, exit_codes.VERSION):
        faults.append(f"{document['ManifestType']}: {got}, not {IDENTIFIER} {exit_codes.VERSION}")
if default[0]["PackageLocale"] != locale:
    faults.append(f"default locale {default[0]['PackageLocale']}, the version file says {locale}")
entry = installer[0]["AppsAndFeaturesEntries"][0]
if entry["DisplayVersion"] != exit_codes.VERSION or entry["ProductCode"] != "QuorvexPlenar":
    faults.append(f"uninstall entry {entry}")

# The file as shipped, and every exit code of the table with its response.
shipped = installer[0]["Installers"][0]
if shipped["InstallerSha256"].upper() != hashlib.sha256(setup.read_bytes()).hexdigest().upper():
    faults.append(f"InstallerSha256 {shipped['InstallerSha256']} is not that of {setup}")
rows = {code: response for _, code, response, _, _ in exit_codes.ROWS if code != 0}
listed = {r["InstallerReturnCode"]: r["ReturnResponse"] for r in installer[0]["ExpectedReturnCodes"]}
if listed != rows:
    faults.append(f"ExpectedReturnCodes {listed}, the table has {rows}")
if exit_codes.readme_table() not in readme.read_text():
    faults.append("the README's table of exit codes is not `tools/exit_codes.py --readme`")

# The reading refuses what the repository's validation would: an unknown key, a number
# where the schema wants text.
bad = copy.deepcopy(installer[0])
bad["Installers"][0]["Silent"] = "/S"
bad["PackageVersion"] = 2.11
refusals = {e.validator for e in jsonschema.Draft7Validator(installer[1]).iter_errors(bad)}
if not {"additionalProperties", "type"} <= refusals:
    faults.append("the strict schema lets an unknown key or a number through")

for fault in faults:
    print("FAIL:", fault)
print(f"winget manifest in {folder}: {len(faults)} faults")
sys.exit(1 if faults else 0)
