#!/usr/bin/env python3
"""An independent reader and writer of ".BH" archives, written from the
format's table alone, for the tests of the compressor and the extractor.

  bh_tool.py extract ARCHIVE OUTDIR    every member into OUTDIR (names in the
                                       OEM code page become UTF-8 file names)
  bh_tool.py list ARCHIVE              one line per member: method, packed,
                                       unpacked, crc, attributes, name
  bh_tool.py make ARCHIVE FILE...      stored and deflated members (method 8,
                                       and method 2 for every third file)
"""
import os
import struct
import sys
import zlib

HEAD = struct.Struct("<4sHBBBBBIIIIHIHH")
SIGNATURE = b"BH\x05\x07"


def members(data):
    at = 0
    while len(data) - at >= HEAD.size:
        (sig, total, head, made, needed, flags, method, date, packed, unpacked, crc,
         attr, _reserved, name_len, extra_len) = HEAD.unpack_from(data, at)
        if sig != SIGNATURE or total == 0:
            break
        if head != 37 or total != 37 + name_len + extra_len:
            raise ValueError("bad header sizes at %d" % at)
        name = data[at + 37:at + 37 + name_len].decode("cp866")
        start = at + 37 + name_len + extra_len
        yield dict(name=name, flags=flags, method=method, date=date, packed=packed,
                   unpacked=unpacked, crc=crc, attr=attr, made=made, needed=needed,
                   data=data[start:start + packed])
        at = start + packed


class Bits:
    """Most significant bit first; zeros after the end."""

    def __init__(self, data):
        self.data = data
        self.pos = 0  # in bits

    def peek(self, n):
        byte, bit = divmod(self.pos, 8)
        chunk = self.data[byte:byte + 4].ljust(4, b"\0")
        return (int.from_bytes(chunk, "big") << bit & 0xFFFFFFFF) >> (32 - n)

    def get(self, n):
        if n == 0:
            return 0
        v = self.peek(n)
        self.pos += n
        return v


class Huffman:
    """Canonical code: shorter codes first, symbols in order within a length."""

    def __init__(self, lengths, single=None):
        self.single = single
        self.codes = {}
        code = 0
        for length in range(1, 17):
            for sym, l in enumerate(lengths):
                if l == length:
                    self.codes[(length, code)] = sym
                    code += 1
            code <<= 1

    def decode(self, bits):
        if self.single is not None:
            return self.single
        top = bits.peek(16)
        for length in range(1, 17):
            sym = self.codes.get((length, top >> (16 - length)))
            if sym is not None:
                bits.pos += length
                return sym
        raise ValueError("bad code")


def read_pt(bits, nn, nbit, special):
    n = bits.get(nbit)
    if n == 0:
        return Huffman([0] * nn, single=bits.get(nbit))
    lengths = []
    while len(lengths) < n:
        c = bits.get(3)
        if c == 7:
            while bits.get(1):
                c += 1
        lengths.append(c)
        if len(lengths) == special:
            lengths += [0] * bits.get(2)
    return Huffman(lengths + [0] * (nn - len(lengths)))


def read_c(bits, pt):
    nc = 510
    n = bits.get(9)
    if n == 0:
        return Huffman([0] * nc, single=bits.get(9))
    lengths = []
    while len(lengths) < n:
        c = pt.decode(bits)
        if c == 0:
            lengths.append(0)
        elif c == 1:
            lengths += [0] * (bits.get(4) + 3)
        elif c == 2:
            lengths += [0] * (bits.get(9) + 20)
        else:
            lengths.append(c - 2)
    return Huffman(lengths + [0] * (nc - len(lengths)))


def fused_decode(packed, size, dict_bits, pbit):
    bits = Bits(packed)
    out = bytearray()
    left = 0
    while len(out) < size:
        if left == 0:
            left = bits.get(16)
            pt = read_pt(bits, 19, 5, 3)
            c_table = read_c(bits, pt)
            p_table = read_pt(bits, dict_bits + 1, pbit, -1)
        left -= 1
        c = c_table.decode(bits)
        if c < 256:
            out.append(c)
            continue
        length = c - 253
        k = p_table.decode(bits)
        distance = k if k == 0 else (1 << (k - 1)) + bits.get(k - 1)
        src = len(out) - distance - 1
        if src < 0:
            raise ValueError("distance before the start")
        for i in range(length):
            out.append(out[src + i])
    return bytes(out[:size])


def unpack(m):
    if m["flags"] & 1:
        raise ValueError("encrypted members are not read here")
    method, data = m["method"], m["data"]
    if method == 0:
        return data
    if method in (2, 8):
        return zlib.decompressobj(-15).decompress(data)
    if method == 1:
        return fused_decode(data, m["unpacked"], 13, 4)
    if method == 3:
        return fused_decode(data, m["unpacked"], 15, 5)
    raise ValueError("method %d" % method)


def extract(archive, outdir):
    with open(archive, "rb") as f:
        data = f.read()
    for m in members(data):
        body = unpack(m)
        if len(body) != m["unpacked"] or (zlib.crc32(body) if body else 0) != m["crc"]:
            raise ValueError("CRC or size of %s" % m["name"])
        name = m["name"].replace("\\", "/").split("/")[-1]
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(body)


def list_members(archive):
    with open(archive, "rb") as f:
        data = f.read()
    for m in members(data):
        print("%d %d %d %08x %x %d %d %d %s" % (m["method"], m["packed"], m["unpacked"], m["crc"], m["attr"],
                                             m["flags"], m["made"], m["needed"], m["name"]))


def make(archive, files):
    out = bytearray()
    for i, path in enumerate(files):
        with open(path, "rb") as f:
            body = f.read()
        name = os.path.basename(path).encode("cp866")
        method = 0
        packed = body
        if body:
            z = zlib.compressobj(6, zlib.DEFLATED, -15)
            deflated = z.compress(body) + z.flush()
            if len(deflated) < len(body):
                method, packed = (2 if i % 3 == 2 else 8), deflated
        crc = zlib.crc32(body) if body else 0
        out += HEAD.pack(SIGNATURE, 37 + len(name), 37, 6, 3, 0, method, 0x5A216000, len(packed),
                         len(body), crc, 0x20, 0, len(name), 0)
        out += name + packed
    with open(archive, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "extract":
        extract(sys.argv[2], sys.argv[3])
    elif command == "list":
        list_members(sys.argv[2])
    elif command == "make":
        make(sys.argv[2], sys.argv[3:])
    else:
        sys.exit("unknown command")
