#!/usr/bin/env python3
"""Reads and writes the archive commands' own files, written from their
record tables alone: the archive list (.alf, 132-byte records), the combined
file of a period (.CAF) and the numbered volumes a file is cut into.

  alf-dump LIST                    -> JSON list of records
  alf-write LIST JSON              <- JSON list of records
  caf-split CAF OUTDIR             -> JSON {id, seq, bases: [[alias, start, end]]};
                                      each base's bytes into OUTDIR/<alias>.dbf
  caf-make CAF ID SEQ ALIAS=FILE.. <- the bases in order
  vol-split FILE OUTDIR SIZE DESC  -> JSON header; volumes OUTDIR/<name>.000 ...
  vol-join VOLUME OUT              -> JSON header; fails on a wrong size or sum

Strings are Windows-1251 on disk and in JSON as text.
"""
import json
import os
import struct
import sys

ENC = "cp1251"


def put_str(text, width):
    raw = text.encode(ENC)[:width]
    return bytes([len(raw)]) + raw + b"\0" * (width - len(raw))


def get_str(raw, width):
    return raw[1:1 + min(raw[0], width)].decode(ENC)


def put_date(d):
    return struct.pack("<3i", *d)


def get_date(raw):
    return list(struct.unpack("<3i", raw))


# archive.alf ---------------------------------------------------------------

ALF_SIZE = 132


def alf_decode(raw):
    assert len(raw) == ALF_SIZE
    return {
        "name": get_str(raw[0:41], 40),
        "id": struct.unpack("<i", raw[44:48])[0],
        "seq": struct.unpack("<i", raw[48:52])[0],
        "caf": get_str(raw[52:73], 20),
        "bh": get_str(raw[73:94], 20),
        "packed": raw[94],
        "made": get_date(raw[96:108]),
        "cut": get_date(raw[108:120]),
        "time": get_date(raw[120:132]),
    }


def alf_encode(r):
    out = (put_str(r["name"], 40) + b"\0" * 3 + struct.pack("<ii", r["id"], r["seq"]) +
           put_str(r["caf"], 20) + put_str(r["bh"], 20) + bytes([r["packed"], 0]) +
           put_date(r["made"]) + put_date(r["cut"]) + put_date(r["time"]))
    assert len(out) == ALF_SIZE
    return out


def alf_dump(path):
    data = open(path, "rb").read()
    if len(data) % ALF_SIZE:
        sys.exit("corrupt list: %d bytes" % len(data))
    return [alf_decode(data[i:i + ALF_SIZE]) for i in range(0, len(data), ALF_SIZE)]


# .CAF ----------------------------------------------------------------------

def caf_split(path, outdir):
    data = open(path, "rb").read()
    ident, seq, n = struct.unpack("<3i", data[:12])
    bases = []
    for k in range(n):
        e = data[12 + 32 * k:44 + 32 * k]
        alias = get_str(e[0:21], 20)
        start, end = struct.unpack("<ii", e[24:32])
        if not (12 + 32 * n <= start <= end + 1 <= len(data)):
            sys.exit("bad range for " + alias)
        with open(os.path.join(outdir, alias + ".dbf"), "wb") as f:
            f.write(data[start:end + 1])
        bases.append([alias, start, end])
    return {"id": ident, "seq": seq, "bases": bases}


def caf_make(path, ident, seq, pairs):
    blobs = [(alias, open(name, "rb").read()) for alias, name in pairs]
    offset = 12 + 32 * len(blobs)
    head = struct.pack("<3i", ident, seq, len(blobs))
    body = b""
    for alias, blob in blobs:
        head += put_str(alias, 20) + b"\0" * 3 + struct.pack("<ii", offset, offset + len(blob) - 1)
        body += blob
        offset += len(blob)
    open(path, "wb").write(head + body)


# volumes -------------------------------------------------------------------

HEADER = 184


def vol_header(raw):
    total, size, last = struct.unpack("<Iii", raw[:12])
    return {"sum": total, "size": size, "last": last, "name": get_str(raw[12:28], 15),
            "date": get_date(raw[28:40]), "time": get_date(raw[40:52]),
            "description": get_str(raw[52:181], 128)}


def vol_name(path, n):
    return os.path.splitext(path)[0] + ".%03d" % n


def vol_split(path, outdir, size, description):
    data = open(path, "rb").read()
    name = os.path.basename(path)
    last = (len(data) + HEADER - 1) // size
    head = (struct.pack("<Iii", sum(data) & 0xFFFFFFFF, len(data), last) + put_str(name, 15) +
            put_date([7, 12, 2026]) + put_date([12, 0, 0]) + put_str(description, 128) + b"\0" * 3)
    assert len(head) == HEADER
    chunks = [head + data[:size - HEADER]]
    rest = data[size - HEADER:]
    while rest:
        chunks.append(rest[:size])
        rest = rest[size:]
    assert len(chunks) == last + 1
    base = os.path.join(outdir, name)
    for i, chunk in enumerate(chunks):
        open(vol_name(base, i), "wb").write(chunk)
    return vol_header(head)


def vol_join(volume, out):
    first = open(vol_name(volume, 0), "rb").read()
    h = vol_header(first[:HEADER])
    data = first[HEADER:]
    for i in range(1, h["last"] + 1):
        data += open(vol_name(volume, i), "rb").read()
    if len(data) != h["size"] or sum(data) & 0xFFFFFFFF != h["sum"]:
        sys.exit("size or sum differs")
    open(out, "wb").write(data)
    return h


def main(argv):
    cmd = argv[1]
    if cmd == "alf-dump":
        print(json.dumps(alf_dump(argv[2]), ensure_ascii=False))
    elif cmd == "alf-write":
        records = json.loads(open(argv[3], encoding="utf-8").read())
        open(argv[2], "wb").write(b"".join(alf_encode(r) for r in records))
    elif cmd == "caf-split":
        print(json.dumps(caf_split(argv[2], argv[3]), ensure_ascii=False))
    elif cmd == "caf-make":
        caf_make(argv[2], int(argv[3]), int(argv[4]), [a.split("=", 1) for a in argv[5:]])
    elif cmd == "vol-split":
        print(json.dumps(vol_split(argv[2], argv[3], int(argv[4]), argv[5]), ensure_ascii=False))
    elif cmd == "vol-join":
        print(json.dumps(vol_join(argv[2], argv[3]), ensure_ascii=False))
    else:
        sys.exit("unknown command " + cmd)


if __name__ == "__main__":
    main(sys.argv)
