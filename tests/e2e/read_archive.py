#!/usr/bin/env python3
"""Reads an archive that QEB_SUA.exe wrote, with Python's own zipfile.

    read_archive.py ARCHIVE ENTRY_NAME EXPECTED_CONTENT
    read_archive.py --list ARCHIVE...

The archive must hold exactly one entry, ENTRY_NAME, whose bytes equal the
file EXPECTED_CONTENT, whose CRC checks out, and whose comment is the key
field of the content's validation record (its last 295 characters,
positions 121-139) scrambled with the comment key. Prints each problem
found and exits 1 when there is one. With --list, prints each entry's name,
size and comment (in hex) instead.
"""

import sys
import zipfile

RECORD_LENGTH = 295
KEY_START, KEY_END = 120, 139  # positions 121-139, counted from 1
COMMENT_KEY = b"RXBVNQTA73KL904H258"
# Combinations that would give NUL, 1 or a double quote keep the own byte.
KEPT = (0, 1, 34)


def scrambled(value: bytes) -> bytes:
    out = bytearray()
    for i, byte in enumerate(value):
        x = byte ^ COMMENT_KEY[i % len(COMMENT_KEY)]
        out.append(byte if x in KEPT else x)
    return bytes(out)


def problems(archive: str, entry_name: str, expected_path: str) -> list:
    with open(expected_path, "rb") as f:
        expected = f.read()
    found = []
    with zipfile.ZipFile(archive) as z:
        names = z.namelist()
        if names != [entry_name]:
            return [f"entries {names}, expected [{entry_name!r}]"]
        bad = z.testzip()
        if bad is not None:
            found.append(f"testzip: {bad} is damaged")
        content = z.read(entry_name)
        if content != expected:
            found.append(f"content: {len(content)} bytes differ from the {len(expected)} expected")
        record = expected[-RECORD_LENGTH:]
        comment = z.getinfo(entry_name).comment
        wanted = scrambled(record[KEY_START:KEY_END])
        if comment != wanted:
            found.append(f"comment {comment!r}, expected {wanted!r}")
    return found


def main() -> int:
    if len(sys.argv) >= 3 and sys.argv[1] == "--list":
        for archive in sys.argv[2:]:
            with zipfile.ZipFile(archive) as z:
                for info in z.infolist():
                    print(f"{archive}: {info.filename}, {info.file_size} bytes, "
                          f"comment {info.comment.hex()}")
        return 0
    if len(sys.argv) != 4:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    try:
        found = problems(*sys.argv[1:])
    except (OSError, zipfile.BadZipFile) as error:
        found = [f"cannot read: {error}"]
    for problem in found:
        print(f"  {sys.argv[1]}: {problem}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
