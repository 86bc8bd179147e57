#!/usr/bin/env python3
"""Fails when a product source includes a header of a room it may not know.

The rooms, from the bottom up: base/ knows no other room; sua/, zip/ and ui/
know only base/; app/ knows all of those; ui/win32/ knows ui/ and base/, and
only the exe's entry (ui/win32/win_main.cpp) also names app/. A Windows
header (<windows.h> and the like) belongs only in ui/win32/ and in the
Windows-only files of base/ (named *win32*). Prints one line per offending
include, as "file:line: illegal include "header"", and exits 1.

  tools/check_layers.py [ROOT]
"""
import pathlib
import re
import sys

ALLOWED = {
    'base': {'base'},
    'sua': {'base', 'sua'},
    'zip': {'base', 'zip'},
    'ui': {'base', 'ui'},
    'ui/win32': {'base', 'ui', 'ui/win32'},
    'app': {'base', 'sua', 'zip', 'ui', 'app'},
}
ENTRY = ('ui/win32/win_main.cpp', {'app'})
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
WINDOWS_HEADER = re.compile(
    r'^\s*#\s*include\s+<((windows|winbase|windef|winuser|winnt|commdlg|shellapi|shlobj|sddl|io|'
    r'direct)\.h)>', re.IGNORECASE)


def may_include_windows_headers(relative, room):
    return room == 'ui/win32' or (room == 'base' and 'win32' in relative.rsplit('/', 1)[-1])


def room_of(relative):
    """The room of a project path: 'ui/win32' before 'ui', None outside them."""
    for room in sorted(ALLOWED, key=len, reverse=True):
        if relative.startswith(room + '/'):
            return room
    return None


def violations(root):
    for path in sorted(root.rglob('*')):
        if path.suffix not in ('.h', '.cpp') or 'build' in path.relative_to(root).parts:
            continue
        relative = path.relative_to(root).as_posix()
        room = room_of(relative)
        if room is None:
            continue
        allowed = set(ALLOWED[room])
        if relative == ENTRY[0]:
            allowed |= ENTRY[1]
        lines = path.read_text(encoding='utf-8').splitlines()
        for number, line in enumerate(lines, 1):
            windows = WINDOWS_HEADER.match(line)
            if windows and not may_include_windows_headers(relative, room):
                yield f'{relative}:{number}: illegal include <{windows.group(1)}> (Windows-only)'
            match = INCLUDE.match(line)
            if not match:
                continue
            target = room_of(match.group(1))
            if target is not None and target not in allowed:
                yield f'{relative}:{number}: illegal include "{match.group(1)}"'
            elif target is None and '/' in match.group(1):
                yield f'{relative}:{number}: illegal include "{match.group(1)}" (outside the product)'


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    found = list(violations(root.resolve()))
    for line in found:
        print(line)
    print(f'layers: {len(found)} illegal include(s)' if found else 'layers: clean')
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main())
