#!/usr/bin/env python3
"""kestrel-cli's bash completion, run in bash as the shell runs it: it offers every subcommand,
option and closed set of values the parser reports, and file names of the kinds each option
takes.

Usage: check_completion.py KESTREL_CLI COMPLETION
"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "packaging"))
import program_help  # noqa: E402

BASH_COMPLETION = "/usr/share/bash-completion/bash_completion"
if not os.path.exists(BASH_COMPLETION):
    print("bash-completion is not installed; nothing checked")
    sys.exit(77)  # skipped

# Completes each line read, the word after its last space, and prints the offers on one line.
COMPLETE_EACH_LINE = r"""
source "$1"
source "$2"
while IFS= read -r line; do
    COMP_LINE=$line COMP_POINT=${#line}
    read -ra COMP_WORDS <<< "$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _kestrel_cli
    echo "${COMPREPLY[*]}"
done
"""

# File names offered in a folder of each kind, by the words before them.
FILES = ["KBIW0008", "a.png", "b.BMP", "c.kml", "d.svg", "ELEMENTS.TLE", "WiSP.Kep", "WiSP.Obs"]
FILE_CASES = [
    ("convert KBIW0008 -o ", {"a.png", "b.BMP", "folder"}),
    ("convert KBIW0008 --outdir ", {"folder"}),
    ("where KBIW0008 --kml ", {"c.kml", "folder"}),
    ("where KBIW0008 --elements ", {"ELEMENTS.TLE", "WiSP.Kep", "folder"}),
    ("map KBIW0008 --obs ", {"WiSP.Obs", "folder"}),
    ("map KBIW0008 -o ", {"d.svg", "folder"}),
    ("thumbnail --size 96 ", set(FILES) | {"folder"}),  # FILE: camera files have no extension
]
# While thumbnail's parser names its second argument OUT, that is a PNG.
THUMBNAIL_OUT_CASE = ("thumbnail KBIW0008 ", {"a.png", "folder"})


def main():
    cli, completion = map(os.path.abspath, sys.argv[1:])
    top, subcommands = program_help.read_subcommands(cli)
    cases = [("", set(subcommands)), ("-", set(top.option_names()))]
    for name, sub in subcommands.items():
        cases.append((f"{name} -", set(sub.option_names())))
        cases += [(f"{name} {entry.names[0]} ", set(entry.choices))
                  for entry in sub.entries("Options") if entry.choices]
    cases += FILE_CASES
    if [entry.names[0] for entry in subcommands["thumbnail"].entries("Positionals")][1:] == ["OUT"]:
        cases.append(THUMBNAIL_OUT_CASE)

    with tempfile.TemporaryDirectory() as folder:
        for name in FILES:
            open(os.path.join(folder, name), "w").close()
        os.mkdir(os.path.join(folder, "folder"))
        lines = "".join(f"kestrel-cli {words}\n" for words, _ in cases)
        shell = subprocess.run(["bash", "-c", COMPLETE_EACH_LINE, "bash", BASH_COMPLETION, completion],
                               input=lines, cwd=folder, capture_output=True, text=True, check=True)
    offers = shell.stdout.splitlines()
    wrong = [(words, sorted(expected), offered) for (words, expected), offered in zip(cases, offers)
             if set(offered.split()) != expected]
    assert len(offers) == len(cases) and not wrong, "\n".join(map(str, wrong)) or shell.stderr
    print(f"{len(cases)} completions offer what the parser takes")


main()
