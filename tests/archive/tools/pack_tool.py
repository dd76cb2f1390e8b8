#!/usr/bin/env python3
"""Reads and writes pack files (a deleted period's "Delarch.DAF"), written
from the pack file's tables alone: a 36-byte header (tag, count, date, time,
data size), 32-byte entries (String[20] name, start, end) and the files'
bytes one after the other.

  pack-make PACK TAG NAME=FILE ...  <- entries in order; NAME may be anything
  pack-dump PACK OUTDIR             -> JSON {tag, count, size, names};
                                       each file into OUTDIR/<n> by entry number
"""
import json
import os
import struct
import sys
import time

ENC = "cp1251"


def pack_make(path, tag, pairs):
    datas = [open(f, "rb").read() for _, f in pairs]
    t = time.localtime()
    head = struct.pack("<9i", tag, len(pairs), t.tm_mday, t.tm_mon, t.tm_year, t.tm_hour, t.tm_min, t.tm_sec,
                       sum(len(d) for d in datas))
    entries = b""
    start = 36
    for (name, _), data in zip(pairs, datas):
        raw = name.encode(ENC)[:20]
        entries += bytes([len(raw)]) + raw + b"\0" * (20 - len(raw)) + b"\0" * 3
        entries += struct.pack("<2i", start, start + len(data) - 1)
        start += len(data)
    open(path, "wb").write(head + entries + b"".join(datas))


def pack_dump(path, outdir):
    raw = open(path, "rb").read()
    tag, count = struct.unpack("<2i", raw[0:8])
    size = struct.unpack("<i", raw[32:36])[0]
    at = 36 + 32 * count
    names = []
    for n in range(count):
        e = raw[36 + 32 * n:68 + 32 * n]
        names.append(e[1:1 + e[0]].decode(ENC))
        start, end = struct.unpack("<2i", e[24:32])
        length = end - start + 1
        open(os.path.join(outdir, str(n)), "wb").write(raw[at:at + length])
        at += length
    if at != len(raw) or at - 36 - 32 * count != size:
        sys.exit("sizes do not add up")
    return {"tag": tag, "count": count, "size": size, "names": names}


def main(argv):
    if argv[1] == "pack-make":
        pack_make(argv[2], int(argv[3]), [a.split("=", 1) for a in argv[4:]])
    elif argv[1] == "pack-dump":
        print(json.dumps(pack_dump(argv[2], argv[3]), ensure_ascii=False))
    else:
        sys.exit("unknown command " + argv[1])


if __name__ == "__main__":
    main(sys.argv)
