#!/usr/bin/env python3
"""Checks that every dependency between the program's libraries points down.

The order of the libraries, bottom to top, is written once: the README's
"Layout" section, one line per library,

    - `name` (`folder/`, `folder/*_glob.cpp`): what it holds

A file belongs to the library whose pattern matches it most closely (a
file pattern before a folder, a deeper folder before a shallower one); a
header belongs to the library with a pattern in the deepest folder that
holds it (a file pattern only when it matches the header), the lowest of
those when several have.
The check fails when a file includes a header of a library above its own,
when a CMake file links a library to one above it, and when a library is
built that the list does not name.

    scripts/layers.py [TOP]     exit code 0 when every dependency points down
"""
import fnmatch
import os
import re
import sys

SKIP_DIRS = {'.git', 'build', 'tests', 'bench', 'scripts', 'docs', 'cmake', '.ci'}
LAYER_LINE = re.compile(r'^- `(\w+)` \(([^)]*)\)')
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
LINK = re.compile(r'target_link_libraries\s*\(([^)]*)\)', re.S)
ADD_LIBRARY = re.compile(r'add_library\s*\(\s*(\w+)\s+(\w+)')
KEYWORDS = {'PUBLIC', 'PRIVATE', 'INTERFACE'}


def read_layers(top):
    """The libraries in order from the README: [(name, [patterns])]."""
    layers, inside = [], False
    with open(os.path.join(top, 'README.md'), encoding='utf-8') as f:
        for line in f:
            if line.startswith('## '):
                inside = line.strip() == '## Layout'
                continue
            m = LAYER_LINE.match(line) if inside else None
            if m:
                layers.append((m.group(1), re.findall(r'`([^`]+)`', m.group(2))))
    return layers


def pattern_score(pattern, path):
    """How closely a pattern matches a file: None when it does not."""
    if '*' in pattern:
        return (2, len(pattern)) if fnmatch.fnmatchcase(path, pattern) else None
    folder = pattern.rstrip('/') + '/'
    return (1, len(folder)) if path.startswith(folder) else None


def library_of(layers, path):
    best, owner = None, None
    for name, patterns in layers:
        for p in patterns:
            s = pattern_score(p, path)
            if s and (best is None or s > best):
                best, owner = s, name
    return owner


def header_library(layers, path):
    """The library that owns a header: the one with a pattern in the
    deepest folder holding it, the lowest of those when several have."""
    folder = os.path.dirname(path) + '/'
    best, owner = None, None
    for rank, (name, patterns) in enumerate(layers):
        for p in patterns:
            if '*' in p:
                pfolder = os.path.dirname(p) + '/'
                hit = fnmatch.fnmatchcase(path, p)
            else:
                pfolder = p.rstrip('/') + '/'
                hit = folder.startswith(pfolder)
            score = (pfolder.count('/'), -rank)
            if hit and (best is None or score > best):
                best, owner = score, name
    return owner


def source_files(top):
    for root, dirs, files in os.walk(top):
        dirs[:] = sorted(d for d in dirs if d not in SKIP_DIRS or root != top)
        for f in sorted(files):
            yield os.path.relpath(os.path.join(root, f), top).replace(os.sep, '/')


def resolve(top, files, includer, header):
    """The tree's file an include names, as the compiler would find it."""
    near = os.path.normpath(os.path.join(os.path.dirname(includer), header)).replace(os.sep, '/')
    if near in files:
        return near
    if header in files:
        return header
    found = [f for f in files if f.endswith('/' + header)]
    return found[0] if len(found) == 1 else None


def check_includes(top, layers, rank, files):
    faults = []
    for path in sorted(files):
        if not path.endswith(('.h', '.cpp', '.rc')):
            continue
        lib = library_of(layers, path) if path.endswith(('.cpp', '.rc')) else header_library(layers, path)
        if lib is None:
            continue
        with open(os.path.join(top, path), encoding='utf-8', errors='replace') as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                target = resolve(top, files, path, m.group(1)) if m else None
                other = header_library(layers, target) if target else None
                if other and rank[other] > rank[lib]:
                    faults.append(f'{path}:{number}: {lib} includes {target} of {other}, above it')
    return faults


def check_links(top, rank, files):
    faults, built = [], []
    for path in sorted(files):
        if not (path.endswith('CMakeLists.txt') or path.endswith('.cmake')):
            continue
        with open(os.path.join(top, path), encoding='utf-8') as f:
            text = re.sub(r'#[^\n]*', '', f.read())
        for m in ADD_LIBRARY.finditer(text):
            if m.group(2) in ('STATIC', 'INTERFACE'):
                built.append((path, m.group(1)))
        for m in LINK.finditer(text):
            words = m.group(1).split()
            target = words[0]
            if target not in rank:
                continue
            for item in words[1:]:
                if item in KEYWORDS or item not in rank:
                    continue
                if rank[item] >= rank[target]:
                    faults.append(f'{path}: {target} links {item}, which is not below it')
    for path, name in built:
        if name not in rank:
            faults.append(f'{path}: library {name} is not in the README\'s Layout list')
    return faults


def main():
    top = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..')
    layers = read_layers(top)
    if not layers:
        print('layers: no Layout list in README.md')
        return 1
    rank = {name: i for i, (name, _) in enumerate(layers)}
    files = set(source_files(top))
    faults = check_includes(top, layers, rank, files) + check_links(top, rank, files)
    for fault in faults:
        print(fault)
    print(f'layers: {len(layers)} libraries, {len(faults)} upward dependencies')
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
