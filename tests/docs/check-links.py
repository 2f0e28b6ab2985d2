#!/usr/bin/env python3
"""Every relative link of README.md and docs/*.md leads to a file of the tree,
and every #anchor to a heading of the page it names (as GitHub makes anchors).

  check-links.py [ROOT]   (default: the current folder)

Prints each broken link and exits with 1 when there is one.
"""

import glob
import os
import re
import sys

LINK = re.compile(r"!?\[[^\]]*\]\(([^)\s]+)\)")
HEADING = re.compile(r"^#{1,6}\s+(.*?)\s*$")


def anchor(heading):
    text = re.sub(r"[^\w\- ]", "", heading.lower().replace("`", ""))
    return text.replace(" ", "-")


def anchors(path):
    found = set()
    in_code = False
    with open(path, encoding="utf-8") as page:
        for line in page:
            if line.startswith("```"):
                in_code = not in_code
            match = None if in_code else HEADING.match(line)
            if match:
                found.add(anchor(match.group(1)))
    return found


def broken_links(root):
    pages = [os.path.join(root, "README.md")] + sorted(glob.glob(os.path.join(root, "docs", "*.md")))
    broken = []
    for page in pages:
        with open(page, encoding="utf-8") as text:
            content = re.sub(r"```.*?```", "", text.read(), flags=re.S)
        for target in LINK.findall(content):
            if re.match(r"^[a-z]+:", target):
                continue
            path, _, fragment = target.partition("#")
            full = os.path.normpath(os.path.join(os.path.dirname(page), path)) if path else page
            if not os.path.exists(full):
                broken.append(f"{os.path.relpath(page, root)}: {target}: no such file")
            elif fragment and full.endswith(".md") and fragment not in anchors(full):
                broken.append(f"{os.path.relpath(page, root)}: {target}: no such heading")
    return broken


if __name__ == "__main__":
    problems = broken_links(sys.argv[1] if len(sys.argv) > 1 else ".")
    for problem in problems:
        print(problem)
    sys.exit(1 if problems else 0)
