#!/usr/bin/env python3
# Reads archives that QEB_SUA.exe wrote, with Python's own zipfile.
#
#   read_archive.py ARCHIVE ENTRY_NAME EXPECTED_CONTENT
#       The archive must hold exactly one entry, ENTRY_NAME, whose bytes equal
#       the file EXPECTED_CONTENT, whose CRC checks out, and whose comment is
#       the key field of the content's validation record (its last 295
#       characters, positions 121-139) scrambled with the comment key. Prints
#       each problem found and exits 1 when there is one.
#   read_archive.py --list ARCHIVE...
#       Prints each entry's name, size and comment (in hex).
import sys
import zipfile

RECORD_LENGTH = 295
KEY_START, KEY_END = 120, 139  # positions 121-139, counted from 1
COMMENT_KEY = b"RXBVNQTA73KL904H258"
KEPT = (0, 1, 34)  # combinations that would give NUL, 1 or '"' keep the own byte


def scrambled(value: bytes) -> bytes:
    pairs = ((byte, byte ^ COMMENT_KEY[i % len(COMMENT_KEY)]) for i, byte in enumerate(value))
    return bytes(byte if x in KEPT else x for byte, x in pairs)


def problems(archive: str, entry_name: str, expected_path: str) -> list:
    expected = open(expected_path, "rb").read()
    with zipfile.ZipFile(archive) as z:
        if z.namelist() != [entry_name]:
            return [f"entries {z.namelist()}, expected [{entry_name!r}]"]
        found = [f"testzip: {bad} is damaged" for bad in [z.testzip()] if bad is not None]
        if z.read(entry_name) != expected:
            found.append(f"content differs from the {len(expected)} bytes expected")
        comment = z.getinfo(entry_name).comment
        wanted = scrambled(expected[-RECORD_LENGTH:][KEY_START:KEY_END])
        if comment != wanted:
            found.append(f"comment {comment!r}, expected {wanted!r}")
    return found


def main(args: list) -> int:
    if args[:1] == ["--list"]:
        for archive in args[1:]:
            for info in zipfile.ZipFile(archive).infolist():
                print(f"{archive}: {info.filename}, {info.file_size} bytes, comment {info.comment.hex()}")
        return 0
    try:
        found = problems(*args)
    except (OSError, zipfile.BadZipFile, TypeError) as error:
        found = [f"cannot read: {error}"]
    for problem in found:
        print(f"  {args[0] if args else '?'}: {problem}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
