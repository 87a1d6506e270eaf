#!/usr/bin/env python3
"""Fails, listing each include, when a file of the core includes a folder it must not use.

The core is laid out in wings, each using only those named here, so that the wand's protocol
builds without the serial line, the serial line without the ports, and no wing without a window.
Includes are resolved as the compiler does (beside the file first, then from the project's
root), so a relative path cannot slip past.
"""
import pathlib
import re
import subprocess
import sys

ALLOWED = {
    "wandlink": set(),
    "serial": {"wandlink"},
    "ports": {"wandlink", "serial"},
    "logfile": {"wandlink"},
    "archive": {"wandlink"},
    "session": {"wandlink", "serial", "ports"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.MULTILINE)


def folder_of(path, root):
    try:
        return path.resolve().relative_to(root).parts[0]
    except (ValueError, IndexError):
        return None


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    listed = subprocess.run(["git", "-C", str(root), "ls-files", "--cached", "--others",
                             "--exclude-standard", "--", *(f"{wing}/" for wing in ALLOWED)],
                            check=True, capture_output=True, text=True).stdout.split()
    top_folders = {entry.name for entry in root.iterdir() if entry.is_dir()}
    wrong = []
    for name in listed:
        source = root / name
        if source.suffix not in (".h", ".cpp") or not source.exists():
            continue
        wing = pathlib.Path(name).parts[0]
        text = source.read_text(encoding="utf-8")
        for match in INCLUDE.finditer(text):
            included = match.group(1)
            target = None
            for base in (source.parent, root):
                if (base / included).exists():
                    target = folder_of(base / included, root)
                    break
            else:
                first = pathlib.PurePosixPath(included).parts[0]
                if first in top_folders:
                    target = first
            if target is None or target == wing or target in ALLOWED[wing]:
                continue
            line = text.count("\n", 0, match.start()) + 1
            wrong.append(f"  {name}:{line}: {included} ({wing} may use: "
                         f"{', '.join(sorted(ALLOWED[wing])) or 'nothing of the project'})")
    if wrong:
        print("Includes against the core's layering:", file=sys.stderr)
        print("\n".join(wrong), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
