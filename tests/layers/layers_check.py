#!/usr/bin/env python3
"""The layering check on small trees: a clean one passes; an upward
include, a file placed in a lower library's folder, an upward link, a
link to itself, a library the list does not name, a folder of two
libraries, a folder that is no library, a test folder that mirrors none
and the root adding the folders out of order each fail, naming the file."""
import os
import subprocess
import sys
import tempfile

CHECKER = sys.argv[1]
README = """# T

## Layout

- `low/` (`low`): the bottom.
- `mid/` (`mid`): the middle.
- `high/` (`high`): the top.

## Next
"""
CLEAN = {
    'README.md': README,
    'CMakeLists.txt': 'set(RAVOLT_LIBRARIES low\n    mid high)\n',
    'low/low.h': '#include <stdio.h>\n',
    'low/low.cpp': '#include "low.h"\n',
    'mid/mid.h': '#include "low/low.h"\n',
    'mid/rule_logic.cpp': '#include "mid.h"\n',
    'mid/mid.cpp': '#include "mid.h"\n#include "low.h"\n',
    'high/high.h': '#include "mid/mid.h"\n',
    'high/part_win.cpp': '#include "high.h"\n#include "mid.h"\n',
    'high/high.cpp': '#include "high.h"\n',
    'low/CMakeLists.txt': 'add_library(low STATIC low.cpp)\n',
    'mid/CMakeLists.txt': 'add_library(mid STATIC mid.cpp)\n'
                          'target_link_libraries(mid PUBLIC\n  low)  # not high\n',
    'high/CMakeLists.txt': 'add_library(high STATIC high.cpp)\ntarget_link_libraries(high PRIVATE mid low)\n'
                           'add_library(res OBJECT r.rc)\nadd_executable(tool t.cpp)\n'
                           'target_link_libraries(tool PRIVATE high)\n',
    'tests/mid/mid_test.cpp': '#include "high.h"\n',
    'tests/harness/crash.cpp': '\n',
}


def run(changes, removed=()):
    with tempfile.TemporaryDirectory() as top:
        for name, text in {**CLEAN, **changes}.items():
            if name in removed:
                continue
            os.makedirs(os.path.dirname(os.path.join(top, name)), exist_ok=True)
            with open(os.path.join(top, name), 'w') as f:
                f.write(text)
        r = subprocess.run([sys.executable, CHECKER, top], capture_output=True, text=True)
        return r.returncode, r.stdout


CASES = [
    ('clean tree', {}, (), 0, 'layers: 3 libraries, 0 faults'),
    ('upward include between folders', {'low/low.cpp': '#include "low.h"\n#include "mid/mid.h"\n'}, (), 1,
     'low/low.cpp:2: low/ includes mid/mid.h of mid/, above it'),
    ('upward include by a bare name', {'mid/mid.cpp': '#include "high.h"\n'}, (), 1,
     'mid/mid.cpp:1: mid/ includes high/high.h of high/, above it'),
    ('a window file placed in a lower library\'s folder',
     {'mid/part_win.cpp': CLEAN['high/part_win.cpp']}, ('high/part_win.cpp',), 1,
     'mid/part_win.cpp:1: mid/ includes high/high.h of high/, above it'),
    ('upward link', {'low/CMakeLists.txt': 'add_library(low STATIC low.cpp)\n'
                                           'target_link_libraries(low PUBLIC\n    mid)\n'}, (), 1,
     'low/CMakeLists.txt: low links mid of mid/, above low/'),
    ('a link to itself', {'high/CMakeLists.txt': 'add_library(high STATIC h.cpp)\n'
                                                 'target_link_libraries(high PUBLIC high)\n'}, (), 1,
     'high links high, itself'),
    ('a library not in the list', {'low/CMakeLists.txt': 'add_library(low STATIC low.cpp)\n'
                                                         'add_library(extra STATIC x.cpp)\n'}, (), 1,
     'library extra is not in'),
    ('a folder of two libraries', {'low/CMakeLists.txt': 'add_library(low STATIC low.cpp)\n'
                                                         'add_library(low_logic STATIC x.cpp)\n'}, (), 1,
     'low/: builds low, low_logic; its Layout line names low'),
    ('a folder building another library than its line',
     {'mid/CMakeLists.txt': 'add_library(middle STATIC mid.cpp)\n'}, (), 1,
     'mid/: builds middle; its Layout line names mid'),
    ('a folder that is no library', {'extra/x.cpp': '\n'}, (), 1,
     'extra/: a folder that is no library'),
    ('a test folder that mirrors none', {'tests/old/x_test.cpp': '\n'}, (), 1,
     'tests/old/: mirrors no library folder'),
    ('the root out of the list\'s order', {'CMakeLists.txt': 'set(RAVOLT_LIBRARIES mid low high)\n'}, (), 1,
     'RAVOLT_LIBRARIES must name the folders'),
]


def main():
    failed = 0
    for name, changes, removed, code, expect in CASES:
        got, out = run(changes, removed)
        if got != code or expect not in out:
            print(f'FAIL {name}: exit {got} (want {code}), output:')
            print(out)
            failed += 1
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
