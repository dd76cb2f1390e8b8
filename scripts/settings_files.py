"""Settings files written the way the program writes them.

Windows-1251 text with CR LF line ends, an empty line and "  [name]" before
each section, and the scrambled password and document access records
computed here independently of the program, from its generator. Whoever
packs records sets `seed` first; the program's writers draw the same
sequence when the generator stands at the same seed.
"""

seed = 0

HEX_SEED = 0x0B7E2D41


def rnd(n):
    global seed
    seed = (seed * 134775813 + 1) & 0xFFFFFFFF
    return (seed * n) >> 32


def keystream(r, key, shifts):
    for i in range(4, 16):
        s = rnd(shifts)
        r[i] ^= (((key << s) & 0xFFFFFFFF) + rnd(256)) & 0xFF


def with_sum(r):
    s = sum(r[:14]) & 0xFFFF
    r[14], r[15] = s & 255, s >> 8


def to_hex(r):
    global seed
    saved, seed = seed, HEX_SEED
    out = ''.join('%02X' % (b ^ rnd(256)) for b in r)
    seed = saved
    return out


def pack_password(pw, key):
    r = [0] * 16
    for i, c in enumerate(pw.encode('cp1251')[:10]):
        r[4 + i] = c
    r[0:4] = list(seed.to_bytes(4, 'little'))
    with_sum(r)
    keystream(r, key, 4)
    return to_hex(r)


def checksum(text):
    t = 0
    for i, c in enumerate(text.encode('cp1251'), 1):
        if c not in (9, 10, 13, 32):
            t = (t + ((c ^ i) & 255)) & 0xFFFF
    return len(text.encode('cp1251')) * 65536 + t


def pack_access(number, doc_id, description):
    t = checksum(description)
    r = [rnd(256) for _ in range(14)] + [0, 0]
    r[8] = number
    r[0:4] = list((seed ^ t).to_bytes(4, 'little'))
    with_sum(r)
    keystream(r, doc_id, 3)
    return to_hex(r)


def text(lines):
    """A description as the program keeps it: every line ended by CR LF."""
    return ''.join(l + '\r\n' for l in lines)


def write(path, lines):
    with open(path, 'wb') as f:
        f.write(text(lines).encode('cp1251'))


def section(name):
    return ['', '  [' + name + ']']


def doc(level, name, doc_id, desc_lines, number):
    """The lines of one document-tree node, its access record packed."""
    pad = ' ' * (2 * level + 6)
    out = [pad + 'УРОВЕНЬ=%d' % level, pad + 'ИМЯ_ДОК=' + name, pad + 'ИД_ФОРМЫ=%d' % doc_id]
    out += [pad + 'ОПИСАНИЕ=' + l for l in desc_lines]
    out.append(pad + 'НОМ_ПАРОЛЬ=' + pack_access(number, doc_id, text(desc_lines)))
    return out
