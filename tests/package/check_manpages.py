#!/usr/bin/env python3
"""The manual pages list exactly the subcommands and options the programs' parsers report,
give an example of every subcommand, and format without a warning from groff.

Usage: check_manpages.py KESTREL_CLI KESTREL_CLI_PAGE [KESTREL KESTREL_PAGE]
"""
import gzip
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "packaging"))
import program_help  # noqa: E402


def sections(page, level):
    """The page's sections (".SH") or subsections (".SS") by title, each its lines."""
    found, title = {}, None
    for line in page.splitlines():
        if line.startswith(f".{level} "):
            title = line[4:].strip('"')
            found[title] = []
        elif title is not None:
            found[title].append(line)
    return found


def listed_options(lines):
    """The options named in the tags of a section's .TP entries."""
    tags = [lines[i + 1] for i, line in enumerate(lines[:-1]) if line == ".TP"]
    return {name.replace("\\-", "-") for tag in tags for name in re.findall(r"\\fB(\\-.*?)\\fR", tag)}


def read_page(path):
    page = gzip.open(path, "rt", encoding="utf-8").read()
    if shutil.which("groff"):
        formatted = subprocess.run(["groff", "-man", "-Tutf8", "-ww", "-z"], input=page,
                                   capture_output=True, text=True)
        assert not formatted.stderr, f"{path}: groff says {formatted.stderr}"
    return page


def check_cli(cli, path):
    page = read_page(path)
    top, subcommands = program_help.read_subcommands(cli)
    assert listed_options(sections(page, "SH")["OPTIONS"]) == set(top.option_names()), path
    described = sections("\n".join(sections(page, "SH")["SUBCOMMANDS"]), "SS")
    assert list(described) == list(subcommands), (list(described), list(subcommands))
    for name, sub in subcommands.items():
        assert listed_options(described[name]) == set(sub.option_names()), (name, sub.option_names())
    examples = "\n".join(sections(page, "SH")["EXAMPLES"])
    missing = [name for name in subcommands if f"kestrel\\-cli {name} " not in examples]
    assert not missing, f"no example of {missing}"


def check_gui(gui, path):
    page = read_page(path)
    options = program_help.read(gui, qt=True).option_names()
    assert listed_options(sections(page, "SH")["OPTIONS"]) == set(options), options


check_cli(*sys.argv[1:3])
if len(sys.argv) > 3:
    check_gui(*sys.argv[3:5])
print("the manual pages list what the parsers take")
