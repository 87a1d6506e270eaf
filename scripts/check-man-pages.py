#!/usr/bin/env python3
"""Fails when a program's --help and its installed manual page name different options.

Usage: scripts/check-man-pages.py ROOT PROGRAM...
ROOT is an unpacked package: ROOT/usr/bin/PROGRAM is run with --help, and the OPTIONS section of
ROOT/usr/share/man/man1/PROGRAM.1.gz is read as the reader sees it.
"""
import gzip
import re
import subprocess
import sys
from pathlib import Path

# An option is a word that starts with one or two dashes, not a hyphen inside a word.
OPTION = re.compile(r"(?<![\w-])(--?[A-Za-z][A-Za-z0-9-]*)")
# groff prints a minus and a hyphen as their own characters in UTF-8.
DASHES = str.maketrans({"\u2212": "-", "\u2010": "-", "\u2011": "-"})


def page_options(page: Path) -> set[str]:
    source = gzip.decompress(page.read_bytes())
    # Wide lines and no hyphenation, so no option is broken across lines.
    text = subprocess.run(
        ["groff", "-k", "-mandoc", "-Tutf8", "-rLL=300n", "-rHY=0", "-P-cbou"],
        input=source, capture_output=True, check=True).stdout.decode().translate(DASHES)
    section = re.search(r"^OPTIONS\n(.*?)^\S", text, re.M | re.S)
    if not section:
        print(f"{page}: no OPTIONS section", file=sys.stderr)
        return set()
    return set(OPTION.findall(section.group(1)))


def help_options(program: Path) -> set[str]:
    shown = subprocess.run([program, "--help"], capture_output=True, check=True, timeout=30)
    return set(OPTION.findall(shown.stdout.decode()))


def main() -> int:
    root = Path(sys.argv[1])
    failures = 0
    for name in sys.argv[2:]:
        in_help = help_options(root / "usr/bin" / name)
        in_page = page_options(root / "usr/share/man/man1" / f"{name}.1.gz")
        for option in sorted(in_help - in_page):
            print(f"{name}: {option} is in --help but not in the manual page", file=sys.stderr)
        for option in sorted(in_page - in_help):
            print(f"{name}: {option} is in the manual page but not in --help", file=sys.stderr)
        failures += in_help != in_page or not in_help
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
