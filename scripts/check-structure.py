#!/usr/bin/env python3
"""Structure checks over the C++ sources of the tree.

  check-structure.py [--cycles DIR...] [--no-globals DIR...]

--cycles DIR...               no include cycle among the files of DIR (a .cpp and
                              its own header are one unit)
--no-globals DIR...           no mutable variable at namespace scope in DIR
                              (globals, statics in anonymous namespaces, mutable
                              static data members); function-local statics are
                              not looked at

What a library may include is kept by the build itself (cmake/QwoLibrary.cmake:
each library's include folder holds its public headers only); these are the
checks a compiler cannot make. Folders are relative to the repository root.
Prints every finding and exits with 1 when there is one, 0 otherwise. Standard
library only.
"""

import argparse
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def source_files(folder):
    """Every C++ source below folder (relative paths from the root), sorted."""
    found = []
    for directory, _, names in os.walk(os.path.join(ROOT, folder)):
        for name in names:
            if name.endswith(SOURCE_SUFFIXES):
                found.append(os.path.relpath(os.path.join(directory, name), ROOT))
    return sorted(found)


def includes(path):
    """(line number, included text, resolved relative path or None) per quoted include."""
    result = []
    with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            text = match.group(1)
            resolved = None
            for base in (os.path.dirname(path), ""):
                candidate = os.path.normpath(os.path.join(base, text))
                if os.path.isfile(os.path.join(ROOT, candidate)):
                    resolved = candidate
                    break
            result.append((number, text, resolved))
    return result


def inside(path, folder):
    folder = os.path.normpath(folder)
    return path == folder or path.startswith(folder + os.sep)


def unit(path):
    """A .cpp and its own header are one node: the path without its suffix."""
    return os.path.splitext(path)[0]


# Include cycles -------------------------------------------------------------


def include_graph(folder):
    graph = {}
    for path in source_files(folder):
        node = unit(path)
        graph.setdefault(node, set())
        for _, _, target in includes(path):
            if target and inside(target, folder) and unit(target) != node:
                graph[node].add(unit(target))
                graph.setdefault(unit(target), set())
    return graph


def strongly_connected(graph):
    """Tarjan's algorithm, iterative; yields the components of more than one node."""
    index, low, on_stack, stack, components = {}, {}, set(), [], []
    counter = [0]
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph[start])))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in index:
                    index[child] = low[child] = counter[0]
                    counter[0] += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(graph[child]))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    components.append(sorted(component))
    return components


def cycle_in(graph, component):
    """One cycle through the first node of a strongly connected component."""
    members = set(component)
    start = component[0]
    previous = {start: None}
    queue = [start]
    while queue:
        node = queue.pop(0)
        for child in sorted(graph[node]):
            if child == start:
                path = [node]
                while previous[path[-1]] is not None:
                    path.append(previous[path[-1]])
                return list(reversed(path)) + [start]
            if child in members and child not in previous:
                previous[child] = node
                queue.append(child)
    return component + [start]


def check_cycles(folder):
    graph = include_graph(folder)
    components = strongly_connected(graph)
    for component in components:
        print("include cycle in %s: %s" % (folder, " -> ".join(cycle_in(graph, component))))
        if len(component) > 2:
            print("  (%d units include each other: %s)" % (len(component), ", ".join(component)))
    if not components:
        edges = sum(len(targets) for targets in graph.values())
        print("%s: no include cycle (%d units, %d include edges between units)" % (folder, len(graph), edges))
    return len(components)


# Mutable variables at namespace scope ------------------------------------------


def strip_code(text):
    """Comments, string and character literals and preprocessor lines blanked
    out (newlines kept, so positions keep their line numbers)."""
    out = []
    i, n = 0, len(text)
    at_line_start = True
    while i < n:
        c = text[i]
        if at_line_start and c == "#":
            # A preprocessor line, with its continuations.
            while i < n and text[i] != "\n":
                if text[i] == "\\" and i + 1 < n and text[i + 1] == "\n":
                    out.append(" \n")
                    i += 2
                    continue
                out.append(" ")
                i += 1
            continue
        if c == "\n":
            at_line_start = True
            out.append(c)
            i += 1
            continue
        if not c.isspace():
            at_line_start = False
        if text.startswith("//", i):
            while i < n and text[i] != "\n":
                out.append(" ")
                i += 1
            continue
        if text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append("".join("\n" if ch == "\n" else " " for ch in text[i:end]))
            i = end
            continue
        raw = re.match(r'(?:u8|u|U|L)?R"([^(\s]*)\(', text[i:i + 40])
        if raw and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            close = ")" + raw.group(1) + '"'
            end = text.find(close, i + raw.end())
            end = n if end < 0 else end + len(close)
            out.append('""' + "".join("\n" if ch == "\n" else " " for ch in text[i + 2:end]))
            i = end
            continue
        if c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum() and i + 1 < n and text[i + 1].isalnum():
                out.append(" ")  # digit separator: 1'000
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(c + " " * (min(j, n - 1) - i - 1) + c)
            i = j + 1
            continue
        out.append(c)
        i += 1
    return "".join(out)


def without_templates(text):
    """Drops balanced <...> argument lists (not the comparison or shift operators
    of an expression after '=', which the callers cut off first)."""
    out, depth = [], 0
    for index, c in enumerate(text):
        if c == "<" and "<<" not in text[max(0, index - 1):index + 2]:
            depth += 1
            continue
        if c == ">" and depth > 0:
            depth -= 1
            continue
        if depth == 0:
            out.append(c)
    return "".join(out)


SKIPPED_STARTS = ("using", "typedef", "template", "friend", "static_assert", "namespace", "extern", "class", "struct",
                  "union", "enum", "public", "private", "protected", "return", "goto", "case", "default")


def declaration_part(statement):
    """The statement up to its initializer ('=' or a top-level brace)."""
    cut = len(statement)
    for mark in ("=", "{"):
        at = statement.find(mark)
        if at >= 0 and mark == "=" and statement[at:at + 2] == "==":
            at = -1
        if at >= 0:
            cut = min(cut, at)
    return statement[:cut]


def is_function(declaration):
    plain = without_templates(declaration)
    if "operator" in re.findall(r"\w+", plain):
        return True
    paren = plain.find("(")
    if paren < 0:
        return False
    # A pointer or reference to a function is a variable: void (*hook)(int).
    return not re.match(r"\(\s*[*&]", plain[paren:])


def is_constant(declaration):
    words = re.findall(r"[A-Za-z_]\w*|[*&]", without_templates(declaration))
    if "constexpr" in words:
        return True
    if "const" not in words:
        return False
    last_const = len(words) - 1 - words[::-1].index("const")
    last_pointer = max((i for i, w in enumerate(words) if w == "*"), default=-1)
    return last_const > last_pointer


def mutable_variable(statement, in_class):
    """The variable's name when statement defines a mutable variable, else None."""
    text = " ".join(statement.split())
    text = re.sub(r"^((public|private|protected)\s*:\s*|\[\[[^\]]*\]\]\s*)+", "", text)
    if not text or text.endswith(":"):
        return None
    words = re.findall(r"[A-Za-z_]\w*", text)
    if not words or words[0] in SKIPPED_STARTS:
        return None
    declaration = declaration_part(text)
    declared_words = re.findall(r"[A-Za-z_]\w*", declaration)
    if in_class and "static" not in declared_words:
        return None  # ordinary data members belong to each object
    if len(declared_words) < 2 or is_function(declaration) or is_constant(declaration):
        return None
    plain = without_templates(declaration).strip()
    name = re.findall(r"\(\s*[*&]\s*([A-Za-z_]\w*)", plain) or re.findall(r"([A-Za-z_]\w*)\s*(?:\[[^\]]*\]\s*)*$", plain)
    return name[0] if name else declared_words[-1]


NAMESPACE_HEAD = re.compile(r'^(inline\s+)?namespace\b|^extern\s*"C"\s*$|^extern\s*"\s*"\s*$')
CLASS_HEAD = re.compile(r"\b(class|struct|union)\b")
ENUM_HEAD = re.compile(r"\benum\b")


def scan_globals(path):
    """(line, name) of every mutable variable at namespace scope in one file."""
    with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as source:
        code = strip_code(source.read())
    findings = []
    # Scope stack entries: "namespace", "class", "other" (functions, enums,
    # initializers: not looked into).
    scopes = ["namespace"]
    statement, statement_start = [], None
    initializer_depth = 0  # braces of an initializer that belongs to the current statement
    line = 1

    def flush():
        nonlocal statement, statement_start
        text = "".join(statement).strip()
        if text and scopes[-1] in ("namespace", "class"):
            name = mutable_variable(text, scopes[-1] == "class")
            if name:
                findings.append((statement_start, name))
        statement, statement_start = [], None

    for c in code:
        if c == "\n":
            line += 1
        if initializer_depth:
            statement.append(c)
            if c == "{":
                initializer_depth += 1
            elif c == "}":
                initializer_depth -= 1
            continue
        if scopes[-1] == "other":
            if c == "{":
                scopes.append("other")
            elif c == "}":
                scopes.pop()
                if scopes[-1] != "other":
                    statement, statement_start = [], None
            continue
        if c == "{":
            head = " ".join("".join(statement).split())
            plain = without_templates(declaration_part(head) if "=" in head else head)
            if NAMESPACE_HEAD.search(head):
                scopes.append("namespace")
                statement, statement_start = [], None
            elif "=" in head or (not is_function(plain) and not CLASS_HEAD.search(plain) and not ENUM_HEAD.search(plain)
                                 and re.search(r"\w\s*$", plain) and len(re.findall(r"\w+", plain)) >= 2):
                # Brace initializer of a variable: part of the statement.
                statement.append(c)
                initializer_depth = 1
            elif CLASS_HEAD.search(plain) and not is_function(plain) and not ENUM_HEAD.search(plain):
                scopes.append("class")
                statement, statement_start = [], None
            else:
                scopes.append("other")
                statement, statement_start = [], None
            continue
        if c == "}":
            flush()
            if len(scopes) > 1:
                scopes.pop()
            continue
        if c == ";":
            flush()
            continue
        if c == ":" and scopes[-1] == "class" and "".join(statement).strip() in ("public", "private", "protected"):
            statement, statement_start = [], None
            continue
        if statement_start is None and not c.isspace():
            statement_start = line
        statement.append(c)
    return findings


def check_globals(folders):
    problems = 0
    for folder in folders:
        for path in source_files(folder):
            for number, name in scan_globals(path):
                print("%s:%d: mutable variable at namespace scope: %s" % (path, number, name))
                problems += 1
    if not problems:
        print("%s: no mutable variable at namespace scope" % ", ".join(folders))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--cycles", nargs="+", default=[], metavar="DIR")
    parser.add_argument("--no-globals", nargs="+", default=[], metavar="DIR")
    arguments = parser.parse_args()
    folders = arguments.cycles + arguments.no_globals
    if not folders:
        parser.error("nothing to check")
    for folder in folders:
        if not os.path.isdir(os.path.join(ROOT, folder)):
            parser.error("no folder %s" % folder)
    problems = 0
    for folder in arguments.cycles:
        problems += check_cycles(folder)
    if arguments.no_globals:
        problems += check_globals(arguments.no_globals)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
