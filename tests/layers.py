#!/usr/bin/env python3
"""Each folder of the plug-in includes only from the folders below it, so
the arrows between the layers point one way: the engine stands alone, the
toolkit knows nothing of the equaliser, the effect knows nothing of its
window.

    layers.py SOURCE_ROOT
"""
import pathlib
import re
import sys

# Bottom to top.
ORDER = ["resources", "format", "engine", "gui", "shell", "presets", "plugin", "editor", "lv2"]


def main():
    root = pathlib.Path(sys.argv[1])
    rank = {folder: i for i, folder in enumerate(ORDER)}
    wrong = []
    for folder in ORDER:
        for path in sorted((root / folder).glob("*.[ch]*")):
            for line_no, line in enumerate(path.read_text().splitlines(), 1):
                m = re.match(r'\s*#\s*include\s+"([a-z]+)/', line)
                if m and m.group(1) in rank and rank[m.group(1)] > rank[folder]:
                    wrong.append("%s:%d includes from %s/, a layer above %s/"
                                 % (path.relative_to(root), line_no, m.group(1), folder))
    print("\n".join(wrong) or "every include points down")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
