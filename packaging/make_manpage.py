#!/usr/bin/env python3
"""Writes a program's manual page, gzipped, from its template and the program's own --help.

The template's prose stays as written; @OPTIONS@, @ARGUMENTS@ and @SUBCOMMANDS@ become the
entries the parser reports, @NAME_DESCRIPTION@ its one-line description, and @VERSION@ and
@DATE@ those of the newest release in the changelog.

Usage: make_manpage.py TEMPLATE CHANGELOG PROGRAM OUTPUT.gz [--qt]
"""
import argparse
import email.utils
import gzip
import re

import program_help


def roff_text(text):
    """Text as roff shows it: backslashes escaped, no line taken for a request."""
    text = text.replace("\\", "\\e")
    return "\\&" + text if text[:1] in (".", "'") else text


def roff_literal(text):
    """Option names, values and command lines, whose hyphens are minus signs."""
    return roff_text(text).replace("-", "\\-")


def entry_items(entries, name_font="B"):
    lines = []
    for entry in entries:
        names = ", ".join(f"\\f{name_font}{roff_literal(name)}\\fR" for name in entry.names)
        lines += [".TP", f"{names} {roff_literal(entry.value)}".rstrip(), roff_text(entry.description)]
    return lines


def subcommand_sections(subcommands):
    lines = []
    for name, sub in subcommands.items():
        lines += [f".SS {name}", roff_text(sub.description[:1].upper() + sub.description[1:]) + ".",
                  ".PP", ".nf", roff_literal(sub.usage), ".fi"]
        lines += entry_items(sub.entries("Positionals"), "I")
        lines += entry_items(sub.entries("Options"))
    return "\n".join(lines)


def newest_release(changelog):
    """The version and date (YYYY-MM-DD) of the changelog's first entry."""
    text = open(changelog, encoding="utf-8").read()
    version = re.match(r"\S+ \(([^)]+)\)", text).group(1)
    trailer = re.search(r"^ -- .*?>  (.+)$", text, re.MULTILINE).group(1)
    return version, email.utils.parsedate_to_datetime(trailer).date().isoformat()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("template")
    parser.add_argument("changelog")
    parser.add_argument("program")
    parser.add_argument("output")
    parser.add_argument("--qt", action="store_true", help="the program's parser is Qt's")
    args = parser.parse_args()

    top = program_help.read(args.program, qt=args.qt)
    subcommands = {} if args.qt else program_help.read_subcommands(args.program)[1]
    version, date = newest_release(args.changelog)
    summary = top.description.rstrip(".")
    fields = {
        "VERSION": version,
        "DATE": date,
        "NAME_DESCRIPTION": roff_text(summary[:1].lower() + summary[1:]),
        "OPTIONS": "\n".join(entry_items(top.entries("Options"))),
        "ARGUMENTS": "\n".join(entry_items(top.entries("Arguments") + top.entries("Positionals"), "I")),
        "SUBCOMMANDS": subcommand_sections(subcommands),
    }
    page = open(args.template, encoding="utf-8").read()
    page = re.sub(r"@([A-Z_]+)@", lambda field: fields[field.group(1)], page)
    # No name or time in the header, so that a build gives the same bytes each time.
    with open(args.output, "wb") as out:
        out.write(gzip.compress(page.encode(), compresslevel=9, mtime=0))


if __name__ == "__main__":
    main()
