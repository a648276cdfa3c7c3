#!/usr/bin/env python3
"""Writes the package manager's manifest of a built setup program: the version, installer
and default-locale files of a multi-file manifest, named as the community repository
names them, with the file's SHA-256 and the exit codes of src/record/exit_codes.h.

  winget_manifest.py --setup EXE --arch x86|x64 --out DIR [--url INSTALLER-URL]
"""
import argparse
import hashlib
import re
from pathlib import Path

import exit_codes

IDENTIFIER = "Brindlemark.QuorvexPlenar"
MANIFEST_VERSION = "1.10.0"
LOCALE = "en-GB"  # the language of the program's pages and version resource
SCHEMA = "# yaml-language-server: $schema=https://aka.ms/winget-manifest.{}.1.10.0.schema.json"


def read_texts(header=exit_codes.SOURCES / "install" / "entry_texts.h"):
    """The product's texts as the program records them: constant name -> text."""
    texts = dict(re.findall(r'inline constexpr char (k\w+)\[\] = "([^"]*)";', header.read_text()))
    if "kPublisher" not in texts:
        raise SystemExit(f"{header}: no kPublisher")
    return texts


# What the program writes into the registry: the uninstall key's name and values, and the
# catalogue's web sites.
TEXTS = read_texts()
PRODUCT_CODE = re.search(r'kUninstallKey\[\] =\s*"[^"]*\\\\(\w+)";',
                         (exit_codes.SOURCES / "install" / "actions.h").read_text()).group(1)
PUBLISHER = TEXTS["kPublisher"]
DESCRIPTION = TEXTS["kProductDescription"]
PRODUCT_SITE = TEXTS["kOfficialWebSite"]
DOWNLOADS_SITE = TEXTS["kDownloadsWebSite"]
SITES = {"PublisherUrl": TEXTS["kPublisherWebSite"], "PublisherSupportUrl": TEXTS["kFaceBookWebSite"],
         "PackageUrl": PRODUCT_SITE}
DOCUMENTS = [("Downloads", DOWNLOADS_SITE),
             ("Drivers of the Prolific PL2303 USB-to-serial cable", TEXTS["kDriversWebSite"])]


# Texts that a YAML 1.1 reader would take for a number or a boolean ("2.10" would become
# 2.1): quoted, so that every reader keeps them as written.
NOT_TEXT = re.compile(r"[-+]?[\d._]+([eE][-+]?\d+)?|(?i:y|n|yes|no|true|false|on|off|null|~)")


def scalar(value):
    """A YAML scalar: integers and plain texts as they are, other texts single-quoted."""
    if isinstance(value, int):
        return str(value)
    text = str(value)
    if (re.fullmatch(r"[\w/][\w .,/:?=+()-]*", text) and ": " not in text
            and not text.endswith(":") and not NOT_TEXT.fullmatch(text)):
        return text
    return "'" + text.replace("'", "''") + "'"


def emit(value, indent=""):
    """Lines of a YAML block: mappings as (key, value) lists, sequences as lists of those or
    of scalars."""
    lines = []
    for key, item in value:
        if isinstance(item, list) and item and isinstance(item[0], list):
            lines.append(f"{indent}{key}:")
            for entry in item:
                block = emit(entry, indent + "  ")
                lines += [indent + "- " + block[0][len(indent) + 2:]] + block[1:]
        elif isinstance(item, list) and item and isinstance(item[0], tuple):
            lines += [f"{indent}{key}:"] + emit(item, indent + "  ")
        elif isinstance(item, list):
            lines += [f"{indent}{key}:"] + [f"{indent}- {scalar(v)}" for v in item]
        else:
            lines.append(f"{indent}{key}: {scalar(item)}")
    return lines


def write(path, kind, fields):
    head = [("PackageIdentifier", IDENTIFIER), ("PackageVersion", exit_codes.VERSION)]
    tail = [("ManifestType", kind), ("ManifestVersion", MANIFEST_VERSION)]
    text = [SCHEMA.format(kind.lower()), ""] + emit(head + fields + tail)
    path.write_text("\n".join(text) + "\n", encoding="utf-8")


def installer(setup, arch, url):
    version = exit_codes.VERSION
    codes = [[("InstallerReturnCode", code), ("ReturnResponse", response)]
             for _, code, response, _, _ in exit_codes.ROWS if code != 0]
    # Without /S the pages refuse to start from a Temp folder, where the package manager
    # puts the file: so no interactive mode.
    return [
        ("InstallerType", "exe"), ("Scope", "user"),
        ("InstallModes", ["silent", "silentWithProgress"]),
        ("InstallerSwitches", [("Silent", "/S"), ("SilentWithProgress", "/S"),
                               ("Log", '/LOG="<LOGPATH>"')]),
        ("ExpectedReturnCodes", codes),
        ("UpgradeBehavior", "install"),
        ("AppsAndFeaturesEntries", [[
            ("DisplayName", f"Quorvex Plenar {version} - {DESCRIPTION}"), ("Publisher", PUBLISHER),
            ("DisplayVersion", version), ("ProductCode", PRODUCT_CODE)]]),
        ("Installers", [[
            ("Architecture", arch),
            ("InstallerUrl", url or f"{DOWNLOADS_SITE}{version}/SetupQuorvexPlenar.exe"),
            ("InstallerSha256", hashlib.sha256(setup.read_bytes()).hexdigest().upper())]]),
    ]


def default_locale():
    return [("PackageLocale", LOCALE), ("Publisher", PUBLISHER), *SITES.items(),
            ("PackageName", "Quorvex Plenar"), ("License", "Proprietary"),
            ("Copyright", "Copyright \u00a9 Brindlemark"), ("ShortDescription", DESCRIPTION),
            ("Documentations", [[("DocumentLabel", label), ("DocumentUrl", address)]
                                for label, address in DOCUMENTS])]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--setup", type=Path, required=True)
    parser.add_argument("--arch", choices=("x86", "x64"), required=True)
    parser.add_argument("--out", type=Path, required=True)
    parser.add_argument("--url", default="", help="the release's download address")
    args = parser.parse_args()
    args.out.mkdir(parents=True, exist_ok=True)
    write(args.out / f"{IDENTIFIER}.yaml", "version",
          [("DefaultLocale", LOCALE)])
    write(args.out / f"{IDENTIFIER}.installer.yaml", "installer",
          installer(args.setup, args.arch, args.url))
    write(args.out / f"{IDENTIFIER}.locale.{LOCALE}.yaml", "defaultLocale", default_locale())


if __name__ == "__main__":
    main()
