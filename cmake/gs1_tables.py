#!/usr/bin/env python3
"""Writes the constexpr GS1 tables from data/gs1/ into one header.

  gs1_tables.py DICTIONARY ISO3166 ISO4217 OUTPUT

The header defines, for src/symbologies/gs1/gs1_ai.cpp (which declares the types):
  kGs1Components  every component of every AI, in dictionary order
  kGs1RequiredGroups  the AI groups of every req= attribute, as sets of AI patterns
  kGs1Ais         one row per dictionary line (an AI or a range of AIs)
  kGs1DlRows      the GS1 Digital Link facts of each line, in the same order:
                  the '?' flag (a data attribute) and the dlpkey attribute
  kGs1DlSequences the qualifier sequences of every dlpkey=..., '|' apart
  kIso3166Numeric, kIso3166Alpha2, kIso4217Numeric  sorted code lists
"""
import re
import sys

FLAG_CHARS = set("*!?\"$%&'()+,-./:;<=>@[\\]^_`{|}~")
COMPONENT = re.compile(r"^(\[)?([NXYZ])(\d+)?(?:\.\.(\d+))?(\])?((?:,[a-z0-9]+)*)$")
CSETS = {"N": "kNumeric", "X": "kCset82", "Y": "kCset39", "Z": "kBase64Url"}
MAX_LINTERS = 3
DL_SEQUENCE_MOST = 4  # Gs1DlSequence::kMost


def fail(path, line_no, why):
    sys.exit(f"{path}:{line_no}: {why}")


def linter_enum(name):
    return "Gs1Linter::k" + name[0].upper() + name[1:]


def parse_component(path, line_no, token):
    m = COMPONENT.match(token)
    if not m:
        fail(path, line_no, f"unreadable component '{token}'")
    open_b, cset, fixed, most, close_b, linters = m.groups()
    if bool(open_b) != bool(close_b):
        fail(path, line_no, f"unbalanced brackets in '{token}'")
    if fixed and most:
        fail(path, line_no, f"both fixed and maximum length in '{token}'")
    if not fixed and not most:
        fail(path, line_no, f"no length in '{token}'")
    low, high = (int(fixed), int(fixed)) if fixed else (1, int(most))
    names = [n for n in linters.split(",") if n]
    if len(names) > MAX_LINTERS:
        fail(path, line_no, f"more than {MAX_LINTERS} linters in '{token}'")
    return (CSETS[cset], low, high, bool(open_b), names)


def parse_pattern(path, line_no, text):
    """An AI or a pattern with trailing 'n's (any digit): (low, high, digits)."""
    stem = text.rstrip("n")
    if not (2 <= len(text) <= 4 and stem.isdigit()):
        fail(path, line_no, f"unreadable AI pattern '{text}'")
    wild = len(text) - len(stem)
    return (padded(stem + "0" * wild), padded(stem + "9" * wild), len(text))


def parse_patterns(path, line_no, text):
    """'01+21,02' -> [[p01, p21], [p02]]: alternatives of '+'-joined groups."""
    return [[parse_pattern(path, line_no, ai) for ai in group.split("+")]
            for group in text.split(",")]


def parse_dictionary(path):
    rows = []
    components = []
    with open(path, encoding="utf-8") as f:
        for line_no, raw in enumerate(f, 1):
            body, _, title = raw.partition("#")
            tokens = body.split()
            if not tokens:
                continue
            ais = tokens.pop(0)
            first, _, last = ais.partition("-")
            last = last or first
            if not (first.isdigit() and last.isdigit() and len(first) == len(last)
                    and 2 <= len(first) <= 4 and first <= last):
                fail(path, line_no, f"unreadable AI or range '{ais}'")
            flags = ""
            if tokens and set(tokens[0]) <= FLAG_CHARS:
                flags = tokens.pop(0)
            comps, req, ex, dlpkey = [], [], [], None
            for token in tokens:
                if token.startswith("req="):
                    req.append(token[4:])
                elif token.startswith("ex="):
                    ex.append(token[3:])
                elif COMPONENT.match(token):
                    comps.append(parse_component(path, line_no, token))
                elif token == "dlpkey" or token.startswith("dlpkey="):
                    dlpkey = parse_dlpkey(path, line_no, token[7:])
                elif re.match(r"^[a-z]+(=.*)?$", token):
                    pass  # other attributes: not ours
                else:
                    fail(path, line_no, f"unreadable token '{token}'")
            if not comps:
                fail(path, line_no, "no components")
            for c in comps[:-1]:
                if c[1] != c[2]:
                    fail(path, line_no, "a variable-length component that is not the last")
            rows.append((first, last, "*" in flags, len(components), len(comps),
                         [parse_patterns(path, line_no, r) for r in req],
                         [parse_patterns(path, line_no, e) for e in ex], title.strip(),
                         "?" in flags, dlpkey))
            components.extend(comps)
    keys = [r[0] for r in rows]
    if keys != sorted(keys):
        fail(path, 0, "entries out of lexical order")
    return rows, components


def parse_dlpkey(path, line_no, text):
    """'22,10,21|235' -> [[(2200, 2), (1000, 2), (2100, 2)], [(2350, 3)]]; '' -> []."""
    sequences = []
    for alternative in text.split("|") if text else []:
        seq = []
        for ai in alternative.split(","):
            if not (ai.isdigit() and 2 <= len(ai) <= 4):
                fail(path, line_no, f"unreadable qualifier '{ai}' in dlpkey")
            seq.append((padded(ai), len(ai)))
        if len(seq) > DL_SEQUENCE_MOST:
            fail(path, line_no, f"a qualifier sequence of more than {DL_SEQUENCE_MOST} AIs")
        sequences.append(seq)
    return sequences


def read_codes(path):
    pairs = []
    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.split("#", 1)[0].split()
            if line:
                pairs.append((line[0], line[1]))
    return pairs


def padded(ai):
    """The AI's digits padded with zeros to four: AIs are prefix-free, so the
    padded numbers keep their lexical order and tell them apart."""
    return int(ai.ljust(4, "0"))


def cxx_string(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def string_list(name, values):
    values = sorted(set(values))
    body = ", ".join(cxx_string(v) for v in values)
    return (f"inline constexpr std::array<std::string_view, {len(values)}> {name} = {{\n"
            f"    {body}}};\n")


def dl_tables(rows):
    """kGs1DlRows (one per line of kGs1Ais) and kGs1DlSequences."""
    sequences, dl_rows = [], []
    for row in rows:
        attribute, dlpkey = row[8], row[9]
        begin = len(sequences)
        sequences.extend(dlpkey or [])
        if len(sequences) > 255:
            sys.exit("more than 255 Digital Link qualifier sequences")
        dl_rows.append(f"    {{{'true' if attribute else 'false'}, {'true' if dlpkey is not None else 'false'}, "
                       f"{begin}, {len(sequences) - begin}}},  // {row[0]}\n")
    out = [f"inline constexpr std::array<Gs1DlRow, {len(dl_rows)}> kGs1DlRows = {{{{\n"]
    out.extend(dl_rows)
    out.append("}};\n\n")
    out.append(f"inline constexpr std::array<Gs1DlSequence, {max(len(sequences), 1)}> kGs1DlSequences = {{{{\n")
    for seq in sequences or [[]]:
        pad = DL_SEQUENCE_MOST - len(seq)
        keys = ", ".join(str(k) for k, _ in seq + [(0, 0)] * pad)
        digits = ", ".join(str(d) for _, d in seq + [(0, 0)] * pad)
        out.append(f"    {{{{{keys}}}, {{{digits}}}, {len(seq)}}},\n")
    out.append("}};\n\n")
    return out


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    dictionary, iso3166, iso4217, output = sys.argv[1:]
    rows, components = parse_dictionary(dictionary)
    countries = read_codes(iso3166)
    currencies = read_codes(iso4217)
    out = ["// Generated by cmake/gs1_tables.py from data/gs1/; do not edit.\n",
           "#pragma once\n\n",
           f"inline constexpr std::array<Gs1Component, {len(components)}> kGs1Components = {{{{\n"]
    for cset, low, high, optional, names in components:
        linters = ", ".join(linter_enum(n) for n in names) or ""
        out.append(f"    {{Gs1Cset::{cset}, {low}, {high}, {'true' if optional else 'false'}, "
                   f"{{{linters}}}, {len(names)}}},\n")
    out.append("}};\n\n")
    # Every AI or pattern named by a req= or ex= gets a bit of a 128-bit set;
    # each line records the bits its AIs match, each requirement group the
    # bits it needs, each exclusion list the bits it refuses.
    bits = {}
    for row in rows:
        for clause in row[5] + row[6]:
            for group in clause:
                for pattern in group:
                    bits.setdefault(pattern, len(bits))
    if len(bits) > 128:
        sys.exit(f"{dictionary}: {len(bits)} AI patterns in req= and ex=, more than 128")

    def ai_set(patterns):
        mask = 0
        for pattern in patterns:
            mask |= 1 << bits[pattern]
        return f"{{0x{mask & (2**64 - 1):x}u, 0x{mask >> 64:x}u}}"

    def members(first, last, digits):
        step = 10 ** (4 - digits)
        keys = range(padded(first), padded(last) + 1, step)
        matched = []
        for (low, high, pattern_digits), bit in bits.items():
            hits = [pattern_digits == digits and low <= k <= high for k in keys]
            if any(hits) and not all(hits):
                sys.exit(f"{dictionary}: pattern matches part of the range {first}-{last}")
            if all(hits):
                matched.append((low, high, pattern_digits))
        return ai_set(matched)

    groups = []
    ai_rows = []
    for first, last, predefined, comp0, ncomp, req, ex, title, _, _ in rows:
        begin = len(groups)
        for clause in req:
            for g, group in enumerate(clause):
                groups.append((ai_set(group), len(clause) - 1 - g))
        excluded = ai_set([p for clause in ex for group in clause for p in group])
        ai_rows.append(f"    {{{padded(first)}, {padded(last)}, {len(first)}, "
                       f"{'true' if predefined else 'false'}, {comp0}, {ncomp}, "
                       f"{members(first, last, len(first))}, {begin}, {len(groups) - begin}, "
                       f"{excluded}}},  // {title}\n")
    out.append(f"inline constexpr std::array<Gs1RequiredGroup, {len(groups)}> kGs1RequiredGroups = {{{{\n")
    for group, rest in groups:
        out.append(f"    {{{group}, {rest}}},\n")
    out.append("}};\n\n")
    out.append(f"inline constexpr std::array<Gs1Ai, {len(rows)}> kGs1Ais = {{{{\n")
    out.extend(ai_rows)
    out.append("}};\n\n")
    out.extend(dl_tables(rows))
    out.append(string_list("kIso3166Numeric", [n for n, _ in countries]))
    out.append(string_list("kIso3166Alpha2", [a for _, a in countries]))
    out.append(string_list("kIso4217Numeric", [n for n, _ in currencies]))
    with open(output, "w", encoding="utf-8") as f:
        f.write("".join(out))


if __name__ == "__main__":
    main()
