#!/usr/bin/env python3
"""Writes kestrel-cli's bash completion from its template and the program's own --help.

@SUBCOMMANDS@ becomes the subcommands' names; @OPTIONS@, @VALUE_OPTIONS@, @CHOICES@ and
@ARGUMENTS@ the branches of case statements on each subcommand's options, those that take a
value, the values of closed sets, and its arguments in order.

Usage: make_completion.py TEMPLATE KESTREL_CLI OUTPUT
"""
import re
import shlex
import sys

import program_help

INDENT = " " * 8


def branch(pattern, action):
    return f"{INDENT}{pattern}) {action} ;;"


def main():
    template, cli, output = sys.argv[1:]
    top, subcommands = program_help.read_subcommands(cli)
    helps = {"": top, **subcommands}

    options, value_options, choices, arguments = [], [], [], []
    for name, sub in helps.items():
        options.append(branch(shlex.quote(name), "echo " + shlex.quote(" ".join(sub.option_names()))))
        for entry in sub.entries("Options"):
            patterns = " | ".join(shlex.quote(f"{name}:{option}") for option in entry.names)
            if entry.takes_value:
                value_options.append(branch(patterns, "return 0"))
            if entry.choices:
                choices.append(branch(patterns, "echo " + shlex.quote(" ".join(entry.choices))))
        names = [entry.names[0] + ("..." if "..." in entry.value else "")
                 for entry in sub.entries("Positionals")]
        if names:
            arguments.append(branch(shlex.quote(name), "echo " + shlex.quote(" ".join(names))))

    fields = {
        "SUBCOMMANDS": " ".join(subcommands),
        "OPTIONS": "\n".join(options),
        "VALUE_OPTIONS": "\n".join(value_options),
        "CHOICES": "\n".join(choices),
        "ARGUMENTS": "\n".join(arguments),
    }
    script = open(template, encoding="utf-8").read()
    script = re.sub(r"@([A-Z_]+)@", lambda field: fields[field.group(1)], script)
    with open(output, "w", encoding="utf-8") as out:
        out.write(script)


if __name__ == "__main__":
    main()
