"""The programs' subcommands, options and arguments as their parsers report them in --help.

The manual pages, the bash completion and the tests that hold both to the parsers read the
programs through this one reader, so an option added to a parser reaches them all.

kestrel-cli's help is CLI11's: each entry is two spaces and its name padded to column 30, then
its description; a name of 28 characters or more stands alone and its description follows on
the next line. kestrel's is Qt's: names padded to the longest of them, then at least two
spaces. In both, further lines of a description are indented past the names.
"""
import os
import re
import subprocess
from dataclasses import dataclass, field

CLI11_DESCRIPTION_COLUMN = 30


@dataclass
class Entry:
    names: list  # "-o", "--outdir", "FILE": the words the entry is known by
    value: str  # what follows the names: "TEXT:{bmp,png} Needs: --outdir", "" for a flag
    description: str

    @property
    def takes_value(self):
        return bool(self.value) and not self.names[0][0].isalpha()

    @property
    def choices(self):
        """The values a closed set allows ("{bmp,png}" or "uosat|kitsat"), in the parser's order."""
        if found := re.search(r"\{([^}]*)\}", self.value):
            return found.group(1).split(",")
        if found := re.search(r":(\w+(?:\|\w+)+)", self.value):
            return found.group(1).split("|")
        return []


@dataclass
class Help:
    description: str
    usage: str  # "kestrel-cli convert [OPTIONS] FILE..."
    sections: dict = field(default_factory=dict)  # "Options" -> [Entry]

    def entries(self, section):
        return self.sections.get(section, [])

    def option_names(self):
        return [name for entry in self.entries("Options") for name in entry.names]


def _split_cli11(line):
    if len(line) > CLI11_DESCRIPTION_COLUMN and line[CLI11_DESCRIPTION_COLUMN - 1] == " ":
        return line[:CLI11_DESCRIPTION_COLUMN].strip(), line[CLI11_DESCRIPTION_COLUMN:].strip()
    return line.strip(), ""


def _split_qt(line):
    head, _, description = line.strip().partition("  ")
    return head, description.strip()


def parse(text, split_entry=_split_cli11):
    description, usage, sections = [], "", {}
    entries = None
    for line in text.splitlines():
        if line.startswith("Usage: "):
            words = line[len("Usage: "):].split(maxsplit=1)
            usage = " ".join([os.path.basename(words[0]), *words[1:]])
        elif re.fullmatch(r"[A-Z][A-Za-z]*:", line):
            entries = sections.setdefault(line[:-1], [])
        elif entries is None:
            if line.strip():
                description.append(line.strip())
        elif line.startswith("   ") and entries:
            entries[-1].description = (entries[-1].description + " " + line.strip()).strip()
        elif line.startswith("  "):
            head, text_after = split_entry(line)
            names, value = re.fullmatch(r"([^\s,]+(?:, ?[^\s,]+)*)\s*(.*)", head).groups()
            entries.append(Entry([name.strip() for name in names.split(",")], value, text_after))
    return Help(" ".join(description), usage, sections)


def read(program, *words, qt=False):
    """Parses `program WORDS... --help`; `qt` for a program whose parser is Qt's."""
    result = subprocess.run([program, *words, "--help"], capture_output=True, text=True,
                            check=True)
    return parse(result.stdout, _split_qt if qt else _split_cli11)


def read_subcommands(cli):
    """kestrel-cli's own help and each subcommand's by name, in the order --help lists them."""
    top = read(cli)
    return top, {entry.names[0]: read(cli, entry.names[0]) for entry in top.entries("Subcommands")}
