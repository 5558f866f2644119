#!/usr/bin/env python3
"""The desktop entry and the AppStream metadata pass their validators, offer the same media
types (among them every type Kestrel defines), and the metadata and the changelog both
describe this version as their newest release.

Usage: check_desktop_metadata.py VERSION DESKTOP_ENTRY METAINFO MIME_TYPES CHANGELOG
"""
import configparser
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

for tool in ("appstreamcli", "desktop-file-validate"):
    if not shutil.which(tool):
        print(f"{tool} is not installed; nothing checked")
        sys.exit(77)  # skipped

version, desktop_entry, metainfo, mime_types, changelog = sys.argv[1:]
for command in (["desktop-file-validate", desktop_entry],
                ["appstreamcli", "validate", "--no-net", metainfo]):
    result = subprocess.run(command, capture_output=True, text=True)
    assert result.returncode == 0, result.stdout + result.stderr

entry = configparser.ConfigParser(interpolation=None)
entry.read(desktop_entry, encoding="utf-8")
opened = set(filter(None, entry["Desktop Entry"]["MimeType"].split(";")))
component = ElementTree.parse(metainfo).getroot()
provided = {element.text for element in component.iter("mediatype")}
defined = {element.get("type") for element in ElementTree.parse(mime_types).getroot()
           if element.tag.endswith("mime-type")}
assert provided == opened, (provided, opened)
assert defined <= provided, defined - provided

newest = component.find("releases/release").get("version")
assert newest == version, f"{metainfo}: the newest release is {newest}, not {version}"
logged = re.match(r"\S+ \(([^)]+)\)", open(changelog, encoding="utf-8").read()).group(1)
assert logged == version, f"{changelog}: the newest entry is {logged}, not {version}"
print("the desktop entry and the AppStream metadata agree and validate")
