#!/usr/bin/env python3
# Reads archives that QEB_SUA.exe wrote, with Python's own zipfile: for the
# end-to-end checks, and for tools/run.sh --demo, which lists what it made.
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


def scrambled(value: bytes, key=b"RXBVNQTA73KL904H258") -> bytes:
    # Combinations that would give NUL, 1 or '"' keep the own byte.
    pairs = ((byte, byte ^ key[i % len(key)]) for i, byte in enumerate(value))
    return bytes(byte if x in (0, 1, 34) else x for byte, x in pairs)


def problems(archive: str, entry_name: str, expected_path: str) -> list:
    expected = open(expected_path, "rb").read()
    with zipfile.ZipFile(archive) as z:
        if z.namelist() != [entry_name]:
            return [f"entries {z.namelist()}, expected [{entry_name!r}]"]
        comment, wanted = z.getinfo(entry_name).comment, scrambled(expected[-295:][120:139])
        return [text for ok, text in [(z.testzip() is None, "testzip: the entry is damaged"),
                                      (z.read(entry_name) == expected, f"content differs from the {len(expected)} bytes expected"),
                                      (comment == wanted, f"comment {comment!r}, expected {wanted!r}")] if not ok]


if sys.argv[1:2] == ["--list"]:
    for archive in sys.argv[2:]:
        for info in zipfile.ZipFile(archive).infolist():
            print(f"{archive}: {info.filename}, {info.file_size} bytes, comment {info.comment.hex()}")
    sys.exit(0)
try:
    found = problems(*sys.argv[1:])
except (OSError, zipfile.BadZipFile, TypeError) as error:
    found = [f"cannot read: {error}"]
for problem in found:
    print(f"  {sys.argv[1] if len(sys.argv) > 1 else '?'}: {problem}")
sys.exit(1 if found else 0)
