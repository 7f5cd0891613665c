#!/usr/bin/env python3
"""Checks that the tree's folders are the program's libraries, in order.

The order, bottom to top, is written once: the README's "Layout" section,
one line per top-level folder and the one library it builds,

    - `folder/` (`library`): what it holds

Every file of a folder belongs to that folder's library.  The check fails
when a file includes a header of a folder listed above its own, when a
folder's CMake file links a target of a folder above it (or a library to
itself), when a folder builds no library, another library than its line
names or more than one, when a library is built that the list does not
name, when a top-level folder is neither a library nor one of the tree's
own (tests, bench, scripts, docs, cmake), when a folder under tests/
mirrors no library, and when the root CMakeLists.txt adds the folders in
another order than the list.

    scripts/layers.py [TOP]     exit code 0 when every dependency points down
"""
import os
import re
import sys

OWN_DIRS = {'.git', '.ci', 'build', 'tests', 'bench', 'scripts', 'docs', 'cmake'}
TEST_DIRS = {'data', 'e2e', 'fuzz', 'harness', 'layers'}
LAYER_LINE = re.compile(r'^- `([\w-]+)/` \(`(\w+)`\)')
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
LINK = re.compile(r'target_link_libraries\s*\(([^)]*)\)', re.S)
TARGET = re.compile(r'add_(library|executable)\s*\(\s*(\w+)(?:\s+(\w+))?')
ROOT_ORDER = re.compile(r'set\s*\(\s*RAVOLT_LIBRARIES\s+([^)]*)\)', re.S)
KEYWORDS = {'PUBLIC', 'PRIVATE', 'INTERFACE'}


def read_layers(top):
    """The folders in order from the README: [(folder, library)]."""
    layers, inside = [], False
    with open(os.path.join(top, 'README.md'), encoding='utf-8') as f:
        for line in f:
            if line.startswith('## '):
                inside = line.strip() == '## Layout'
                continue
            m = LAYER_LINE.match(line) if inside else None
            if m:
                layers.append((m.group(1), m.group(2)))
    return layers


def folder_of(path):
    return path.split('/', 1)[0] if '/' in path else None


def source_files(top):
    for root, dirs, files in os.walk(top):
        dirs[:] = sorted(d for d in dirs if root != top or d not in ('.git', 'build'))
        for f in sorted(files):
            yield os.path.relpath(os.path.join(root, f), top).replace(os.sep, '/')


def resolve(files, includer, header):
    """The tree's file an include names, as the compiler would find it:
    beside the includer, from the top, or the one file of that name."""
    near = os.path.normpath(os.path.join(os.path.dirname(includer), header)).replace(os.sep, '/')
    if near in files:
        return near
    if header in files:
        return header
    found = [f for f in files if f.endswith('/' + header) and folder_of(f) not in OWN_DIRS]
    return found[0] if len(found) == 1 else None


def check_folders(top, rank, files):
    faults = []
    present = {folder_of(f) for f in files if folder_of(f)}
    for folder in sorted(present - OWN_DIRS - set(rank)):
        faults.append(f'{folder}/: a folder that is no library of the README\'s Layout list')
    for folder in sorted(rank):
        if folder not in present:
            faults.append(f'{folder}/: listed in the README\'s Layout but not in the tree')
    mirrored = {f.split('/')[1] for f in files if f.startswith('tests/') and f.count('/') > 1}
    for folder in sorted(mirrored - set(rank) - TEST_DIRS):
        faults.append(f'tests/{folder}/: mirrors no library folder')
    return faults


def check_order(top, layers):
    path = os.path.join(top, 'CMakeLists.txt')
    if not os.path.exists(path):
        return []
    with open(path, encoding='utf-8') as f:
        m = ROOT_ORDER.search(re.sub(r'#[^\n]*', '', f.read()))
    listed = [folder for folder, _ in layers]
    if not m or m.group(1).split() != listed:
        return ['CMakeLists.txt: RAVOLT_LIBRARIES must name the folders in the README\'s Layout order']
    return []


def check_includes(top, rank, files):
    faults = []
    for path in sorted(files):
        lib = folder_of(path)
        if lib not in rank or not path.endswith(('.h', '.cpp', '.c', '.rc')):
            continue
        with open(os.path.join(top, path), encoding='utf-8', errors='replace') as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                target = resolve(files, path, m.group(1)) if m else None
                other = folder_of(target) if target else None
                if other in rank and rank[other] > rank[lib]:
                    faults.append(f'{path}:{number}: {lib}/ includes {target} of {other}/, above it')
    return faults


def check_links(top, layers, rank, files):
    """Targets are read from every folder's CMake files; each target
    belongs to the folder that adds it."""
    faults, home, links, libraries = [], {}, [], {}
    for path in sorted(files):
        folder = folder_of(path)
        if folder not in rank or not path.endswith(('CMakeLists.txt', '.cmake')):
            continue
        with open(os.path.join(top, path), encoding='utf-8') as f:
            text = re.sub(r'#[^\n]*', '', f.read())
        for m in TARGET.finditer(text):
            home[m.group(2)] = folder
            if m.group(1) == 'library' and m.group(3) in ('STATIC', 'INTERFACE'):
                libraries.setdefault(folder, []).append((path, m.group(2)))
        links += [(path, folder, m.group(1).split()) for m in LINK.finditer(text)]
    for folder, name in layers:
        built = [lib for _, lib in libraries.get(folder, [])]
        if built != [name]:
            faults.append(f'{folder}/: builds {", ".join(built) or "no library"}; its Layout line names {name}')
    named = {name for _, name in layers}
    for folder, built in libraries.items():
        faults += [f'{path}: library {lib} is not in the README\'s Layout list' for path, lib in built if lib not in named]
    for path, folder, words in links:
        target = words[0]
        for item in words[1:]:
            if item in KEYWORDS or item not in home:
                continue
            if item == target:
                faults.append(f'{path}: {target} links {item}, itself')
            elif rank[home[item]] > rank[folder]:
                faults.append(f'{path}: {target} links {item} of {home[item]}/, above {folder}/')
    return faults


def main():
    top = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..')
    layers = read_layers(top)
    if not layers:
        print('layers: no Layout list in README.md')
        return 1
    rank = {folder: i for i, (folder, _) in enumerate(layers)}
    files = set(source_files(top))
    faults = (check_folders(top, rank, files) + check_order(top, layers) +
              check_includes(top, rank, files) + check_links(top, layers, rank, files))
    for fault in faults:
        print(fault)
    print(f'layers: {len(layers)} libraries, {len(faults)} faults')
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
