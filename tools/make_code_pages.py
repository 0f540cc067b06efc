#!/usr/bin/python3
"""Writes src/text/code_page_tables.cpp: the code pages vantrix decodes names with.

Run once with /usr/bin/python3 from anywhere; it needs nothing but CPython's codecs, which
follow Windows' code pages except where PAGES below says. The output format is described in
src/text/code_page_tables.hpp.
"""

import os
import sys

# (C++ name, Windows number, CPython codec, bytes Windows defines that the codec refuses)
PAGES = [
    ("ShiftJis", 932, "cp932", {}),
    # Windows' 936 is GBK plus the euro sign as the single byte 0x80.
    ("Gbk", 936, "gbk", {0x80: 0x20AC}),
    ("Uhc", 949, "cp949", {}),
    ("Big5", 950, "cp950", {}),
    ("Western", 1252, "cp1252", {}),
    ("CentralEuropean", 1250, "cp1250", {}),
    ("Cyrillic", 1251, "cp1251", {}),
]

LEAD_BYTE = 0xFFFF
# A run of consecutive units costs one 4-byte span instead of 2 bytes a unit. Inside a stretch
# of literal units it also splits that stretch, which costs a second span.
MIN_RUN_AT_EDGE = 3
MIN_RUN_INSIDE = 5


def decode_one(data, codec):
    """The single UTF-16 unit the bytes decode to as one character, or None."""
    try:
        text = data.decode(codec)
    except UnicodeDecodeError:
        return None
    if len(text) != 1:
        return None
    unit = ord(text)
    if unit in (0, LEAD_BYTE) or 0xD800 <= unit <= 0xDFFF or unit > 0xFFFF:
        sys.exit(f"{codec} {data.hex()}: U+{unit:04X} does not fit the table format")
    return unit


def read_page(codec, extra):
    """(units of bytes 0x80-0xFF, {lead: {trail: unit}})."""
    high = []
    cells = {}
    for byte in range(0x80, 0x100):
        unit = extra.get(byte) or decode_one(bytes([byte]), codec)
        if unit is not None:
            high.append(unit)
            continue
        trails = {}
        for trail in range(0x100):
            unit = decode_one(bytes([byte, trail]), codec)
            if unit is not None:
                trails[trail] = unit
        high.append(LEAD_BYTE if trails else 0)
        if trails:
            cells[byte] = trails
    return high, cells


def spans_of(trails):
    """[(first trail, count, first unit or 0 for literal units)] covering the trails."""
    spans = []
    ordered = sorted(trails)
    block_start = 0
    while block_start < len(ordered):
        block_end = block_start + 1  # a block is a stretch of consecutive trail bytes
        while block_end < len(ordered) and ordered[block_end] == ordered[block_end - 1] + 1:
            block_end += 1
        literal_start = None
        i = block_start
        while i < block_end:
            j = i + 1
            while j < block_end and trails[ordered[j]] == trails[ordered[j - 1]] + 1:
                j += 1
            at_edge = i == block_start or j == block_end
            if j - i >= (MIN_RUN_AT_EDGE if at_edge else MIN_RUN_INSIDE):
                if literal_start is not None:
                    spans.append((ordered[literal_start], i - literal_start, 0))
                    literal_start = None
                spans.append((ordered[i], j - i, trails[ordered[i]]))
            elif literal_start is None:
                literal_start = i
            i = j
        if literal_start is not None:
            spans.append((ordered[literal_start], block_end - literal_start, 0))
        block_start = block_end
    return spans


def build(cells):
    leads, spans, units = [], [], []
    for lead in range(0x80, 0x100):
        leads.append((len(spans), len(units)))
        trails = cells.get(lead, {})
        for first, count, first_unit in spans_of(trails):
            spans.append((first, count, first_unit))
            if first_unit == 0:
                units.extend(trails[t] for t in range(first, first + count))
    leads.append((len(spans), len(units)))
    if len(spans) > 0xFFFF or len(units) > 0xFFFF:
        sys.exit("a page outgrew the 16-bit indices")
    return leads, spans, units


def table_decode(high, leads, spans, units, lead, trail):
    """What the C++ decoder gives for a byte pair, so the tables can be checked here."""
    if high[lead - 0x80] != LEAD_BYTE:
        return None
    span_begin, unit = leads[lead - 0x80]
    for first, count, first_unit in spans[span_begin:leads[lead - 0x80 + 1][0]]:
        if first <= trail < first + count:
            return first_unit + trail - first if first_unit else units[unit + trail - first]
        if first_unit == 0:
            unit += count
    return None


def check(codec, extra, high, cells, leads, spans, units):
    for byte in range(0x80, 0x100):
        expected = extra.get(byte) or decode_one(bytes([byte]), codec)
        if expected is None:
            expected = LEAD_BYTE if byte in cells else 0
        if high[byte - 0x80] != expected:
            sys.exit(f"{codec}: byte {byte:02X} wrong")
        for trail in range(0x100):
            expected = cells.get(byte, {}).get(trail)
            if table_decode(high, leads, spans, units, byte, trail) != expected:
                sys.exit(f"{codec}: {byte:02X} {trail:02X} wrong")


def rows(values, per_line):
    return "\n".join("    " + " ".join(values[i:i + per_line]) for i in range(0, len(values),
                                                                             per_line))


def emit(name, number, codec, high, leads, spans, units):
    out = [f"// {number}, from CPython's {codec}."]
    out.append(f"constexpr std::uint16_t k{name}High[128] = {{")
    out.append(rows([f"0x{u:04X}," for u in high], 12))
    out.append("};")
    if spans:
        out.append(f"constexpr LeadStart k{name}Leads[] = {{")
        out.append(rows([f"{{{s}, {u}}}," for s, u in leads], 6))
        out.append("};")
        out.append(f"constexpr TrailSpan k{name}Spans[] = {{")
        out.append(rows([f"{{0x{f:02X}, {c}, 0x{u:04X}}}," for f, c, u in spans], 4))
        out.append("};")
        out.append(f"constexpr std::uint16_t k{name}Units[] = {{")
        out.append(rows([f"0x{u:04X}," for u in units], 12))
        out.append("};")
    return "\n".join(out) + "\n"


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = os.path.join(root, "src", "text", "code_page_tables.cpp")
    data, tables = [], []
    for name, number, codec, extra in PAGES:
        high, cells = read_page(codec, extra)
        leads, spans, units = build(cells)
        check(codec, extra, high, cells, leads, spans, units)
        data.append(emit(name, number, codec, high, leads, spans, units))
        if spans:
            tables.append(f"const PageTable k{name} = {{k{name}High, k{name}Leads, k{name}Spans, "
                          f"k{name}Units}};")
        else:
            tables.append(f"const PageTable k{name} = {{k{name}High, {{}}, {{}}, {{}}}};")
        print(f"{number}: {len(cells)} lead bytes, {len(spans)} spans, {len(units)} units",
              file=sys.stderr)
    with open(path, "w", encoding="ascii", newline="\n") as out:
        out.write("// Generated by tools/make_code_pages.py from CPython's codecs; do not edit.\n"
                  "// To regenerate: /usr/bin/python3 tools/make_code_pages.py\n"
                  "#include \"text/code_page_tables.hpp\"\n\n"
                  "namespace vantrix::code_page_tables {\n"
                  "namespace {\n\n"
                  "// clang-format off\n" + "\n".join(data) + "// clang-format on\n\n"
                  "}  // namespace\n\n" + "\n".join(tables) + "\n\n"
                  "}  // namespace vantrix::code_page_tables\n")


if __name__ == "__main__":
    main()
