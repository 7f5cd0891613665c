#!/usr/bin/env python3
"""The layering check on small trees: a clean one passes; an upward
include, an upward link and a library missing from the list each fail,
naming the file."""
import os
import subprocess
import sys
import tempfile

CHECKER = sys.argv[1]
README = """# T

## Layout

- `low` (`low/`): the bottom.
- `low_logic` (`mid/*_logic.cpp`, `mid/*.h`): rules of mid.
- `mid` (`mid/`, `high/*_win.cpp`): the middle.
- `high` (`high/`): the top.

## Next
"""
CLEAN = {
    'README.md': README,
    'low/low.h': '#include <stdio.h>\n',
    'low/low.cpp': '#include "low.h"\n',
    'mid/mid.h': '#include "low/low.h"\n',
    'mid/rule_logic.cpp': '#include "mid.h"\n',
    'mid/mid.cpp': '#include "mid.h"\n#include "low.h"\n',
    'high/high.h': '#include "mid/mid.h"\n',
    'high/part_win.cpp': '#include "mid.h"\n',
    'high/high.cpp': '#include "high.h"\n',
    'low/CMakeLists.txt': 'add_library(low STATIC low.cpp)\n',
    'mid/CMakeLists.txt': 'add_library(mid STATIC mid.cpp)\n'
                          'target_link_libraries(mid PUBLIC low_logic\n  low)  # not high\n',
    'high/CMakeLists.txt': 'add_library(high STATIC high.cpp)\ntarget_link_libraries(high PRIVATE mid low)\n'
                           'add_library(res OBJECT r.rc)\n',
}


def run(changes):
    with tempfile.TemporaryDirectory() as top:
        for name, text in {**CLEAN, **changes}.items():
            os.makedirs(os.path.dirname(os.path.join(top, name)), exist_ok=True)
            with open(os.path.join(top, name), 'w') as f:
                f.write(text)
        r = subprocess.run([sys.executable, CHECKER, top], capture_output=True, text=True)
        return r.returncode, r.stdout


CASES = [
    ('clean tree', {}, 0, 'layers: 4 libraries, 0 upward'),
    ('upward include', {'low/low.cpp': '#include "low.h"\n#include "mid/mid.h"\n'}, 1,
     'low/low.cpp:2: low includes mid/mid.h of low_logic'),
    ('include of a window file\'s own library', {'mid/mid.cpp': '#include "high/high.h"\n'}, 1,
     'mid/mid.cpp:1: mid includes high/high.h of high'),
    ('upward link', {'low/CMakeLists.txt': 'add_library(low STATIC low.cpp)\n'
                                           'target_link_libraries(low PUBLIC\n    mid)\n'}, 1,
     'low/CMakeLists.txt: low links mid'),
    ('a link to itself', {'high/CMakeLists.txt': 'add_library(high STATIC h.cpp)\n'
                                                 'target_link_libraries(high PUBLIC high)\n'}, 1,
     'high links high'),
    ('a library not in the list', {'low/CMakeLists.txt': 'add_library(low STATIC low.cpp)\n'
                                                         'add_library(extra STATIC x.cpp)\n'}, 1,
     'library extra is not in'),
]


def main():
    failed = 0
    for what, changes, code, text in CASES:
        got, out = run(changes)
        ok = got == code and text in out
        print(f"{'ok  ' if ok else 'FAIL'} {what}")
        if not ok:
            print(out)
            failed += 1
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
