#!/usr/bin/env python3
"""The winget manifest of the shipped installer: the version, installer and
default-locale files, from the built installer and the sources.

  winget_manifest.py --installer build/x86/VelantrixInstaller.exe --out build/winget [--installer-url URL]
  winget_manifest.py --check build/winget --installer build/x86/VelantrixInstaller.exe

The second form validates the three files against the schemas kept in
packaging/winget/schemas and fails when their InstallerSha256 is not the
installer's."""
import argparse
import hashlib
import json
import pathlib
import re
import sys

import jsonschema
import yaml

ROOT = pathlib.Path(__file__).resolve().parent.parent
MANIFEST_VERSION = "1.28.0"
SCHEMA_DIR = ROOT / "packaging" / "winget" / "schemas" / MANIFEST_VERSION
PACKAGE_IDENTIFIER = "Korvane.Velantrix"
LOCALE = "en-US"
# Each manifest's file, as winget-pkgs names them.
FILE_NAMES = {
    "version": f"{PACKAGE_IDENTIFIER}.yaml",
    "installer": f"{PACKAGE_IDENTIFIER}.installer.yaml",
    "defaultLocale": f"{PACKAGE_IDENTIFIER}.locale.{LOCALE}.yaml",
}

# What winget should make of each exit code of install/ExitCodes.h, by value
# (0, installed, is winget's own success and stays out). A code missing here
# stops the generator: a new code needs a decision, not a default.
RETURN_RESPONSES = {
    90: "contactSupport",  # the installer file is damaged
    101: "invalidParameter",  # the install location is a file
    102: "custom",  # a directory could not be created; the installer says why
    103: "invalidParameter",  # the install location is not empty
    104: "custom",  # a file to be installed exists and may not be replaced
    105: "custom",  # a shortcut could not be made
    107: "custom",  # the earlier installation could not be removed
    108: "packageInUse",  # the product is running: close it and install again
    112: "custom",  # a file association could not be made
    113: "custom",  # the uninstaller could not be registered
    130: "systemNotSupported",
    140: "invalidParameter",  # the switches lost -acceptEULA (an --override)
    150: "contactSupport",  # installation error or unexpected exception
    200: "invalidParameter",  # help asked for instead of an installation
    201: "invalidParameter",
    202: "cancelledByUser",
    1618: "installInProgress",  # Windows Installer's ERROR_INSTALL_ALREADY_RUNNING
    3010: "rebootRequiredToFinish",  # ERROR_SUCCESS_REBOOT_REQUIRED: a file in use is replaced at the restart
}


class ManifestError(Exception):
    pass


def read_source(relative):
    return (ROOT / relative).read_text(encoding="utf-8")


def exit_codes(header_text):
    """The (name, code) pairs of ExitCodes.h, in its order."""
    codes = [(name, int(code))
             for name, code in re.findall(r"inline constexpr int (k\w+) = (-?\d+);", header_text)]
    if not codes:
        raise ManifestError("no exit codes found in install/ExitCodes.h")
    return codes


def expected_return_codes(header_text):
    codes = [(name, code) for name, code in exit_codes(header_text) if code != 0]
    unmapped = [f"{name} = {code}" for name, code in codes if code not in RETURN_RESPONSES]
    if unmapped:
        raise ManifestError("exit codes with no winget response in RETURN_RESPONSES: " + ", ".join(unmapped))
    return [{"InstallerReturnCode": code, "ReturnResponse": RETURN_RESPONSES[code]} for _, code in codes]


def product_constants():
    """The string constants of product/Product.h, by name."""
    return dict(re.findall(r'inline constexpr char (k\w+)\[\] = "([^"]*)";', read_source("product/Product.h")))


def registered_display_name(product):
    # The registration step is given kFullName, the version and this suffix.
    found = re.search(r'product::kFullName\) \+ " " \+ version \+ "([^"]*)"', read_source("driver/InstallSequence.cpp"))
    if not found:
        raise ManifestError("the uninstaller's DisplayName is no longer built in driver/InstallSequence.cpp as expected")
    return f"{product['kFullName']} {product['kVersion']}{found.group(1)}"


RTF_TOKEN = re.compile(r"\\([a-z]+)(-?\d+)? ?|\\'([0-9a-fA-F]{2})|\\(.)|([{}])|[\r\n]+|([^\\{}\r\n]+)")
# Groups whose text is not document text.
RTF_DESTINATIONS = {"fonttbl", "colortbl", "stylesheet", "info", "pict", "header", "footer"}


def rtf_to_text(rtf):
    """The plain text of a simple RTF document: paragraphs end with newlines,
    formatting is dropped, \\'hh is read in code page 1252."""
    text = []
    depth = 0
    skip_depth = None  # the depth of the group being skipped
    group_start = False
    for match in RTF_TOKEN.finditer(rtf):
        word, _, hex_char, symbol, brace, plain = match.groups()
        after_brace, group_start = group_start, brace == "{"
        if brace:
            depth += 1 if brace == "{" else -1
            if skip_depth is not None and depth < skip_depth:
                skip_depth = None
        elif skip_depth is not None:
            continue
        elif after_brace and (word in RTF_DESTINATIONS or symbol == "*"):
            skip_depth = depth
        elif word in ("par", "line"):
            text.append("\n")
        elif word == "tab":
            text.append("\t")
        elif symbol in ("\\", "{", "}"):
            text.append(symbol)
        elif hex_char:
            text.append(bytes([int(hex_char, 16)]).decode("cp1252"))
        elif plain:
            text.append(plain)
    return "\n".join(line.rstrip() for line in "".join(text).strip().splitlines())


def sha256_of(path):
    return hashlib.sha256(pathlib.Path(path).read_bytes()).hexdigest().upper()


def manifests(installer, installer_url=None):
    """The three manifests, by file name."""
    product = product_constants()
    version = product["kVersion"]
    web_site = f"https://{product['kWebSiteHost']}/"
    installer = pathlib.Path(installer)
    # winget adds InstallLocation after Silent, and the installer takes the
    # last -installDir: the default below is only used without --location.
    default_dir = f'-installDir="C:\\Program Files\\{product["kFullName"]}"'
    unattended = f"-acceptEULA {default_dir}"
    common = {"PackageIdentifier": PACKAGE_IDENTIFIER, "PackageVersion": version}
    version_manifest = {**common, "DefaultLocale": LOCALE, "ManifestType": "version"}
    installer_manifest = {
        **common,
        "InstallerType": "exe",
        "Scope": "machine",
        "InstallModes": ["silent", "silentWithProgress"],
        "InstallerSwitches": {
            "Silent": unattended,
            "SilentWithProgress": unattended,
            "InstallLocation": '-installDir="<INSTALLPATH>"',
            "Log": '-log="<LOGPATH>"',
        },
        "ExpectedReturnCodes": expected_return_codes(read_source("install/ExitCodes.h")),
        # The installer removes an earlier installation itself before installing.
        "UpgradeBehavior": "install",
        # It writes HKEY_LOCAL_MACHINE and does not elevate itself.
        "ElevationRequirement": "elevationRequired",
        "AppsAndFeaturesEntries": [{
            "DisplayName": registered_display_name(product),
            "Publisher": product["kPublisher"],
            "DisplayVersion": version,
            "ProductCode": product["kShortName"],
            "InstallerType": "exe",
        }],
        "Installers": [{
            "Architecture": "x86",
            "InstallerUrl": installer_url or f"{web_site}download/{version}/{installer.name}",
            "InstallerSha256": sha256_of(installer),
        }],
        "ManifestType": "installer",
    }
    agreement = rtf_to_text(read_source("resources/license.rtf"))
    locale_manifest = {
        **common,
        "PackageLocale": LOCALE,
        "Publisher": product["kPublisher"],
        "PublisherUrl": web_site,
        "PackageName": product["kFullName"],
        "PackageUrl": web_site,
        "License": "Proprietary",
        "Copyright": next(line for line in agreement.splitlines() if line.startswith("Copyright")),
        "ShortDescription": "An SSH2 client for Windows.",
        "Moniker": product["kShortName"].lower(),
        "Tags": ["ssh", "ssh2", "ssh-client"],
        "Agreements": [{"AgreementLabel": "End-User License Agreement", "Agreement": agreement}],
        "ManifestType": "defaultLocale",
    }
    return {FILE_NAMES[m["ManifestType"]]: m for m in (version_manifest, installer_manifest, locale_manifest)}


class _Dumper(yaml.SafeDumper):
    pass


# Multi-line text (the agreement) as a literal block, as people write it.
_Dumper.add_representer(str, lambda dumper, text: dumper.represent_scalar(
    "tag:yaml.org,2002:str", text, style="|" if "\n" in text else None))


def to_yaml(manifest):
    manifest = {**manifest, "ManifestVersion": MANIFEST_VERSION}
    schema_id = json.loads(schema_path(manifest["ManifestType"]).read_text())["$id"]
    body = yaml.dump(manifest, Dumper=_Dumper, sort_keys=False, allow_unicode=True, width=120)
    return f"# yaml-language-server: $schema={schema_id}\n\n{body}"


def schema_path(manifest_type):
    return SCHEMA_DIR / f"manifest.{manifest_type}.{MANIFEST_VERSION}.json"


def write(out_dir, installer, installer_url=None):
    out_dir = pathlib.Path(out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    for name, manifest in manifests(installer, installer_url).items():
        (out_dir / name).write_text(to_yaml(manifest), encoding="utf-8")


def problems(manifest_dir, installer):
    """What is wrong with the three files in manifest_dir, as lines; none when they are right."""
    found = []
    loaded = {}
    for manifest_type, name in FILE_NAMES.items():
        path = pathlib.Path(manifest_dir) / name
        if not path.is_file():
            found.append(f"{name}: missing")
            continue
        manifest = yaml.safe_load(path.read_text(encoding="utf-8"))
        if not isinstance(manifest, dict):
            found.append(f"{name}: not a YAML mapping")
            continue
        schema = json.loads(schema_path(manifest_type).read_text())
        validator = jsonschema.validators.validator_for(schema)(schema)
        for error in sorted(validator.iter_errors(manifest), key=lambda e: list(e.absolute_path)):
            where = "/".join(str(part) for part in error.absolute_path) or "(top)"
            found.append(f"{name}: {where}: {error.message}")
        loaded[name] = manifest
    identities = {(m.get("PackageIdentifier"), m.get("PackageVersion")) for m in loaded.values()}
    if len(identities) > 1:
        found.append(f"the files name different packages: {sorted(identities, key=str)}")
    installer_manifest = loaded.get(FILE_NAMES["installer"], {})
    actual = sha256_of(installer)
    for entry in installer_manifest.get("Installers", []):
        listed = str(entry.get("InstallerSha256", ""))
        if listed.upper() != actual:
            found.append(f"InstallerSha256 {listed} is not the SHA-256 of {installer} ({actual})")
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--installer", required=True, help="the built installer (build/x86/VelantrixInstaller.exe)")
    action = parser.add_mutually_exclusive_group(required=True)
    action.add_argument("--out", help="the folder to write the three files into")
    action.add_argument("--check", metavar="DIR", help="the folder of the three files to check")
    parser.add_argument("--installer-url", help="where the installer is published (https)")
    args = parser.parse_args()
    if args.installer_url and not args.installer_url.startswith("https://"):
        parser.error("--installer-url must be an https address")
    try:
        if args.out:
            write(args.out, args.installer, args.installer_url)
            print(f"winget manifest {MANIFEST_VERSION} written to {args.out}")
            return 0
        found = problems(args.check, args.installer)
    except (ManifestError, OSError, yaml.YAMLError) as error:
        print(f"winget_manifest: {error}", file=sys.stderr)
        return 1
    for line in found:
        print(line, file=sys.stderr)
    if found:
        return 1
    print(f"{args.check}: valid winget {MANIFEST_VERSION} manifest of {args.installer}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
