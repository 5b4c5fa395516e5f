#!/usr/bin/env python3
"""Turns an X11 PCF bitmap font into the C++ glyph table of the GL surfaces.

Usage: make_fixed_font.py FONT.pcf[.gz] OUT.cpp

The surfaces draw overlay text with glBitmap display lists, one per character
code, from a table compiled into the library so that no font file is needed at
run time. The table is made at build time from the misc-fixed 8x13 font that
Debian ships in xfonts-base (public domain). Every glyph is placed into a full
8x13 cell, rows stored bottom-up with the most significant bit leftmost, which
is exactly what glBitmap reads; a fixed cell also gives blank glyphs a real,
non-empty bitmap. Codes the font lacks get its default character.

Only the Python standard library is used.
"""
import gzip
import struct
import sys

CELL_WIDTH = 8
CELL_HEIGHT = 13

PCF_PROPERTIES = 1 << 0
PCF_ACCELERATORS = 1 << 1
PCF_METRICS = 1 << 2
PCF_BITMAPS = 1 << 3
PCF_BDF_ENCODINGS = 1 << 5
PCF_BDF_ACCELERATORS = 1 << 8

PCF_GLYPH_PAD_MASK = 3
PCF_BYTE_MASK = 1 << 2
PCF_BIT_MASK = 1 << 3
PCF_SCAN_UNIT_MASK = 3 << 4
PCF_COMPRESSED_METRICS = 0x100


class FontError(Exception):
    pass


class Table:
    """One PCF table: a reader in the byte order its format word names."""

    def __init__(self, data, offset):
        self.data = data
        self.pos = offset
        (self.format,) = struct.unpack_from("<i", data, offset)
        self.pos += 4
        self.order = ">" if self.format & PCF_BYTE_MASK else "<"

    def read(self, code):
        fmt = self.order + code
        values = struct.unpack_from(fmt, self.data, self.pos)
        self.pos += struct.calcsize(fmt)
        return values if len(values) > 1 else values[0]


def load_tables(data):
    if data[:4] != b"\x01fcp":
        raise FontError("not a PCF font (bad magic)")
    (count,) = struct.unpack_from("<i", data, 4)
    tables = {}
    for i in range(count):
        kind, _fmt, _size, offset = struct.unpack_from("<iiii", data, 8 + 16 * i)
        tables[kind] = offset
    return tables


def read_properties(data, offset):
    t = Table(data, offset)
    n = t.read("i")
    raw = [t.read("ibi") for _ in range(n)]
    t.pos += (4 - (n & 3)) & 3
    size = t.read("i")
    strings = data[t.pos:t.pos + size]

    def text(at):
        return strings[at:strings.index(b"\0", at)].decode("latin-1")

    props = {}
    for name_at, is_string, value in raw:
        props[text(name_at)] = text(value) if is_string else value
    return props


def read_accelerators(data, offset):
    t = Table(data, offset)
    t.pos += 8  # seven flag bytes and a pad byte
    ascent, descent = t.read("ii")
    return ascent, descent


def read_metrics(data, offset):
    t = Table(data, offset)
    metrics = []
    if t.format & PCF_COMPRESSED_METRICS:
        n = t.read("h")
        for _ in range(n):
            lsb, rsb, width, ascent, descent = (b - 0x80 for b in t.read("5B"))
            metrics.append((lsb, rsb, width, ascent, descent))
    else:
        n = t.read("i")
        for _ in range(n):
            lsb, rsb, width, ascent, descent, _attr = t.read("hhhhhH")
            metrics.append((lsb, rsb, width, ascent, descent))
    return metrics


def read_bitmaps(data, offset):
    t = Table(data, offset)
    n = t.read("i")
    offsets = [t.read("i") for _ in range(n)]
    sizes = [t.read("i") for _ in range(4)]
    pad_index = t.format & PCF_GLYPH_PAD_MASK
    blob = data[t.pos:t.pos + sizes[pad_index]]
    return t.format, offsets, blob


def read_encodings(data, offset):
    t = Table(data, offset)
    min2, max2, min1, max1, default = t.read("hhhhh")
    per_row = max2 - min2 + 1
    count = per_row * (max1 - min1 + 1)
    glyphs = [t.read("H") for _ in range(count)]

    def lookup(code):
        b1, b2 = code >> 8, code & 0xFF
        if not (min1 <= b1 <= max1 and min2 <= b2 <= max2):
            return None
        g = glyphs[(b1 - min1) * per_row + (b2 - min2)]
        return None if g == 0xFFFF else g

    return lookup, default


def reverse_bits(b):
    return int(f"{b:08b}"[::-1], 2)


def glyph_rows(fmt, offsets, blob, index, metric):
    """Rows of one glyph, top first, each as an int whose MSB is the left pixel."""
    lsb, rsb, _width, ascent, descent = metric
    width, height = rsb - lsb, ascent + descent
    pad = 1 << (fmt & PCF_GLYPH_PAD_MASK)
    unit = 1 << ((fmt & PCF_SCAN_UNIT_MASK) >> 4)
    row_bytes = ((width + 7) // 8 + pad - 1) // pad * pad
    start = offsets[index]
    rows = []
    for r in range(height):
        raw = bytearray(blob[start + r * row_bytes:start + (r + 1) * row_bytes])
        # Byte order inside a scan unit differs from the bit order only when
        # the two flags disagree; bring everything to MSB-first bytes.
        if bool(fmt & PCF_BYTE_MASK) != bool(fmt & PCF_BIT_MASK) and unit > 1:
            for u in range(0, len(raw), unit):
                raw[u:u + unit] = raw[u:u + unit][::-1]
        if not fmt & PCF_BIT_MASK:
            raw = bytearray(reverse_bits(b) for b in raw)
        rows.append(int.from_bytes(raw, "big") >> (len(raw) * 8 - width) if width else 0)
    return rows, width


def build_cells(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] == b"\x1f\x8b":
        data = gzip.decompress(data)
    tables = load_tables(data)
    for need, name in ((PCF_PROPERTIES, "properties"), (PCF_METRICS, "metrics"),
                       (PCF_BITMAPS, "bitmaps"), (PCF_BDF_ENCODINGS, "encodings")):
        if need not in tables:
            raise FontError(f"the font has no {name} table")
    props = read_properties(data, tables[PCF_PROPERTIES])
    metrics = read_metrics(data, tables[PCF_METRICS])
    fmt, offsets, blob = read_bitmaps(data, tables[PCF_BITMAPS])
    lookup, default = read_encodings(data, tables[PCF_BDF_ENCODINGS])

    ascent, descent = props.get("FONT_ASCENT"), props.get("FONT_DESCENT")
    accel = tables.get(PCF_BDF_ACCELERATORS, tables.get(PCF_ACCELERATORS))
    if (ascent is None or descent is None) and accel is not None:
        ascent, descent = read_accelerators(data, accel)
    if ascent is None or descent is None or ascent + descent != CELL_HEIGHT:
        raise FontError(f"expected a {CELL_HEIGHT}-pixel font, got ascent {ascent} "
                        f"descent {descent}")
    default_glyph = lookup(default)
    cells, present = [], []
    for code in range(256):
        g = lookup(code)
        present.append(g is not None)
        if g is None:
            g = default_glyph
        if g is None:
            cells.append([0] * CELL_HEIGHT)
            continue
        lsb, rsb, advance, g_ascent, _g_descent = metrics[g]
        if advance != CELL_WIDTH:
            raise FontError(f"glyph {code} advances {advance} pixels, not {CELL_WIDTH}")
        rows, width = glyph_rows(fmt, offsets, blob, g, metrics[g])
        cell = [0] * CELL_HEIGHT  # top first
        for r, bits in enumerate(rows):
            y = ascent - g_ascent + r
            x = lsb  # left edge of the glyph inside the cell
            if not 0 <= y < CELL_HEIGHT or x < 0 or x + width > CELL_WIDTH:
                if bits:
                    raise FontError(f"glyph {code} does not fit an {CELL_WIDTH}x{CELL_HEIGHT} cell")
                continue
            cell[y] |= bits << (CELL_WIDTH - x - width)
        cells.append(cell)
    return props, descent, cells, present


def emit(path_in, path_out):
    props, descent, cells, present = build_cells(path_in)
    lines = [
        "// Generated at build time by src/platform/gl/make_fixed_font.py from",
        f"// {props.get('FONT', '?')}",
        f"// Font licence (its COPYRIGHT property): {props.get('COPYRIGHT', 'not stated')}",
        "// Do not edit.",
        '#include "platform/gl/FixedFont.h"',
        "",
        "namespace kelto::gl {",
        "",
        "const FixedFont kFixedFont8x13 = {",
        f"    {descent},",
        "    {",
    ]
    for code, cell in enumerate(cells):
        rows = ", ".join(f"0x{b:02X}" for b in reversed(cell))  # bottom row first
        lines.append(f"        {{{str(present[code]).lower()}, {{{rows}}}}},  // {code}")
    lines += ["    },", "};", "", "}  // namespace kelto::gl", ""]
    with open(path_out, "w", encoding="ascii") as f:
        f.write("\n".join(lines))


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    try:
        emit(argv[1], argv[2])
    except (OSError, FontError, struct.error) as e:
        sys.stderr.write(f"make_fixed_font.py: {argv[1]}: {e}\n")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
