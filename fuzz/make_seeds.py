#!/usr/bin/env python3
"""Writes the seed tables for fuzz_table_reader into fuzz/corpus/.

The seeds are small, valid (or deliberately almost valid) table files that
cover every type code, notes, defaults and the error kinds, so the fuzzer
starts from the interesting shapes instead of discovering the header."""
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def section(entries):
    return b"".join(e + b"\x12" for e in entries) + b"\x14"


def table(records, entries, body=b"", kind=b"S"):
    sec = section(entries)
    head = kind + struct.pack("<III", records, len(entries), len(sec))
    data = head + sec + body
    return struct.pack("<I", 4 + len(data)) + data


def counted(b):
    return struct.pack("<I", len(b)) + b


def group_record(cat, key):
    return bytes([0, len(cat), 4]) + cat + struct.pack("<i", key)


GROUP = [b"XXX.SELECTED b", b"XXX.CATEGORY F", b"XXX.CKEY a"]

seeds = {
    "empty_group.d": table(0, GROUP),
    "group_two.d": table(2, GROUP, group_record(b"xxxx", 1) + group_record(b"Travel", 2)),
    "notes.d": table(1, GROUP, b"*" + struct.pack("<h", 5) + b"hello" + group_record(b"a", 3)),
    "every_kind.d": table(
        1,
        [b"XXX.SI l", b"XXX.IN i", b"XXX.BI e", b"XXX.BO b", b"XXX.DB f", b"XXX.CU c", b"XXX.DA d",
         b"XXX.TI v", b"XXX.DT t", b"XXX.AI a", b"XXX.SS 5", b"XXX.ST s40~def~extra", b"XXX.BL o",
         b"XXX.ME m", b"XXX.FM r", b"XXX.GR g"],
        bytes([2, 4, 8, 2, 8, 8, 4, 4, 8, 4, 5, 4, 4, 4, 4, 4])
        + struct.pack("<hiqhddiidi", -2, 100000, 5, -1, 2.5, -1.25, 730120, 3600000,
                      730120.0 * 86400000 + 1000, 7)
        + b"abcde" + counted(b"hello") + counted(b"\0\1\2") + counted(b"memo")
        + counted(b"{\\rtf}") + counted(b"\x89PNG"),
    ),
    "odd_codes.d": table(1, [b"Bare 0", b"Q.Wide x", b"XXX.Plain s", b"XXX.Z Z~~x"],
                         bytes([1, 3, 4, 0]) + b"0" + b"abc" + counted(b"plain")),
    "error_kind.d": struct.pack("<I", 0) + b"E" + b"Table is being rebuilt",
    "short_count.d": table(3, GROUP, group_record(b"one", 1)),
}

os.makedirs(HERE, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)
