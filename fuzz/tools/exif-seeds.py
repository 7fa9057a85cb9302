#!/usr/bin/env python3
"""Writes the EXIF seeds exiftool cannot make: JPEGs whose EXIF holds a camera maker's note
(Canon, Fuji, Olympus, Nikon, Pentax layouts) beside the date taken, and a big-endian TIFF.
Usage: fuzz/tools/exif-seeds.py fuzz/corpus/exif_date"""
import struct
import sys
from pathlib import Path

ASCII, SHORT, LONG, UNDEFINED = 2, 3, 4, 7


def ifd(order, entries, base, next_ifd=0):
    """One IFD at offset `base`: entries are (tag, type, count, value bytes); values longer than
    four bytes follow the IFD."""
    head = struct.pack(order + "H", len(entries))
    data = b""
    data_at = base + 2 + 12 * len(entries) + 4
    for tag, kind, count, value in sorted(entries):
        if len(value) <= 4:
            head += struct.pack(order + "HHI", tag, kind, count) + value.ljust(4, b"\0")
        else:
            head += struct.pack(order + "HHII", tag, kind, count, data_at + len(data))
            data += value + (b"\0" if len(value) % 2 else b"")
    return head + struct.pack(order + "I", next_ifd) + data


def tiff(order, make, date, maker_note):
    mark = b"II" if order == "<" else b"MM"
    text = lambda s: s.encode() + b"\0"
    exif_at = 8 + 200  # room for IFD0
    ifd0 = ifd(order, [(0x010F, ASCII, len(make) + 1, text(make)), (0x0110, ASCII, 6, text("Model")),
                       (0x0132, ASCII, 20, text(date)), (0x8769, LONG, 1, struct.pack(order + "I", exif_at))], 8)
    exif = [(0x9003, ASCII, 20, text(date)), (0x9004, ASCII, 20, text(date))]
    if maker_note is not None:
        exif.append((0x927C, UNDEFINED, len(maker_note), maker_note))
    body = mark + struct.pack(order + "HI", 42, 8) + ifd0
    body = body.ljust(exif_at, b"\0") + ifd(order, exif, exif_at)
    return body


def jpeg(exif):
    app1 = b"Exif\0\0" + exif
    return b"\xff\xd8" + b"\xff\xe1" + struct.pack(">H", len(app1) + 2) + app1 + b"\xff\xd9"


def note_ifd(order, base, entries):
    return ifd(order, entries, base)


def main(out):
    out = Path(out)
    date = "2020:08:15 14:22:09"
    canon = note_ifd("<", 0, [(0x0001, SHORT, 4, struct.pack("<4H", 8, 1, 0, 3)),
                              (0x0006, ASCII, 10, b"Canon EOS\0"), (0x0008, LONG, 1, struct.pack("<I", 1234567))])
    notes = {
        "canon": ("Canon", "<", canon),
        "fuji": ("FUJIFILM", "<", b"FUJIFILM" + struct.pack("<I", 12) +
                 note_ifd("<", 12, [(0x0000, UNDEFINED, 4, b"0130"), (0x1000, ASCII, 8, b"NORMAL \0")])),
        "olympus": ("OLYMPUS", ">", b"OLYMP\0\1\0" + note_ifd(">", 8, [(0x0200, LONG, 3, struct.pack(">3I", 0, 0, 0)),
                                                                        (0x0207, ASCII, 6, b"OL123\0")])),
        "nikon": ("NIKON CORPORATION", ">", b"Nikon\0\2\x10\0\0" + b"MM\0\x2a\0\0\0\x08" +
                  note_ifd(">", 8, [(0x0001, UNDEFINED, 4, b"0210"), (0x0004, ASCII, 8, b"FINE   \0")])),
        "pentax": ("PENTAX Corporation", ">", b"AOC\0MM" + note_ifd(">", 6, [(0x0001, SHORT, 1, struct.pack(">H", 2))])),
    }
    for name, (make, order, note) in notes.items():
        (out / f"makernote-{name}.jpg").write_bytes(jpeg(tiff(order, make, date, note)))
    (out / "taken-be.tif").write_bytes(tiff(">", "Kestrel", "2019:02:28 12:00:00", None))


if __name__ == "__main__":
    main(sys.argv[1])
