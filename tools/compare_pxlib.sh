#!/usr/bin/env bash
# Cross-checks Vorendal's Paradox reading against pxlib.
#
# Usage: tools/compare_pxlib.sh [-v] [PATH...]
#   PATH: .db files or folders searched for them; /work/shared/testdata is always included.
#   -v    list every differing value instead of the first few per column.
# Environment:
#   VORENDAL_CLI  vorendal-cli to run (default: build/cli/vorendal-cli of the project)
#   PXDUMP        the pxlib dumper (default /tmp/pxdump, built from tools/compare_pxlib.c when
#                 missing: cc tools/compare_pxlib.c -lpx -o /tmp/pxdump)
#
# Prints one summary per table: "same" when both readers agree after normalising the known
# conventions (listed as "note:"), otherwise the differences ("DIFF:"). Conventions normalised:
#   - text: pxlib's bytes are decoded with the table's code page, then every character without a
#     Windows-1252 form becomes '?', as Vorendal reports text; pxlib knows no code page for 3.x
#     tables (437 assumed, as Vorendal does) and none for code page 0 (non-ASCII then compared
#     loosely);
#   - numbers compared as doubles; BCD nibbles above 9 count as 0 (pxlib prints them as ':'..'?');
#   - blob trailer length 0 = blank; pxlib's Bytes blank = first byte 0, Vorendal's = all bytes 0;
#   - OLE values in the .MB: Vorendal drops the 8-byte 01 00 00 0x + length prefix, pxlib keeps it;
#     graphics in shared (type 3) .MB blocks: pxlib keeps the prefix and cuts the value by 8 bytes;
#   - double-byte code pages: runs of characters without a 1252 form compared as one '?';
#   - dates before 0001-01-01: pxlib numbers 1 BC as year -1, Vorendal (ISO 8601) as 0000;
#   - encrypted tables: both read them without the password (Vorendal's describe says
#     "protected yes");
#   - a missing .MB: vorendal-cli stops at the first value kept there, pxlib reports each one;
#   - the table name is not compared: Vorendal prints the file's, pxlib the header's.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
cli=${VORENDAL_CLI:-$root/build/cli/vorendal-cli}
pxdump=${PXDUMP:-/tmp/pxdump}
verbose=0
if [ "${1:-}" = "-v" ]; then
    verbose=1
    shift
fi
if [ ! -x "$pxdump" ]; then
    cc "$here/compare_pxlib.c" -lpx -o "$pxdump" || exit 2
fi
if [ ! -x "$cli" ]; then
    echo "vorendal-cli not found at $cli (set VORENDAL_CLI)" >&2
    exit 2
fi

exec python3 - "$cli" "$pxdump" "$verbose" /work/shared/testdata "$@" <<'PYTHON'
import codecs, os, signal, subprocess, sys

signal.signal(signal.SIGPIPE, signal.SIG_DFL)

cli, pxdump, verbose = sys.argv[1], sys.argv[2], sys.argv[3] == "1"
roots = sys.argv[4:]

# Windows-1252 as Vorendal reads it: 0x81, 0x8D, 0x8F, 0x90, 0x9D are the C1 controls.
ANSI_CHARS = []
for b in range(256):
    try:
        ANSI_CHARS.append(bytes([b]).decode("cp1252"))
    except UnicodeDecodeError:
        ANSI_CHARS.append(chr(b))
ANSI = {ch: b for b, ch in enumerate(ANSI_CHARS)}
CODECS = {0: None, 1051: "hp_roman8", 10000: "mac_roman", 10006: "mac_greek",
          10007: "mac_cyrillic", 10029: "mac_latin2", 10079: "mac_iceland", 10081: "mac_turkish"}

def unescape(field: bytes) -> bytes:
    out, i = bytearray(), 0
    while i < len(field):
        c = field[i]
        if c == 0x5C and i + 1 < len(field):
            out += {ord("\\"): b"\\", ord("t"): b"\t", ord("r"): b"\r", ord("n"): b"\n"}.get(
                field[i + 1], field[i:i + 2])
            i += 2
        else:
            out.append(c)
            i += 1
    return bytes(out)

def as_vorendal_text(raw: bytes, cp: int):
    """pxlib's stored bytes as Vorendal would show them; None when the code page is unknown."""
    name = CODECS.get(cp, "cp%d" % cp)
    if name is None:
        return None
    try:
        codecs.lookup(name)
    except LookupError:
        return None
    if cp == 1252:
        text = "".join(ANSI_CHARS[b] for b in raw)
    else:
        text = raw.decode(name, errors="replace")
    return "".join(ch if ch in ANSI else "?" for ch in text)

DOUBLE_BYTE = (932, 936, 949, 950)

def collapse(text: str) -> str:
    # runs of '?' stand for any number of characters without a 1252 form
    out = []
    for ch in text:
        if ch != "?" or not out or out[-1] != "?":
            out.append(ch)
    return "".join(out)

def loose_equal(ours: str, raw: bytes) -> bool:
    # code page unknown to pxlib: ASCII must agree, each non-ASCII byte matches any one character
    if len(ours) != len(raw):
        return False
    return all(b >= 0x80 or ord(c) == b for c, b in zip(ours, raw))

def run(cmd, path):
    p = subprocess.run(cmd + [path], capture_output=True)
    return p.returncode, p.stdout, p.stderr.decode("utf-8", "replace").strip()

def parse(out: bytes):
    table, fields, records = None, [], []
    for line in out.split(b"\n"):
        if not line:
            continue
        cols = line.split(b"\t")
        if cols[0] == b"table":
            table = cols
        elif cols[0] == b"field":
            fields.append(cols[1:])
        elif cols[0] == b"record":
            records.append(cols[1:])
    return table, fields, records

# pxlib type letter -> (Vorendal type, reported size from (length, decimals))
TYPES = {
    b"A": ("ftString", lambda n, d: n), b"D": ("ftDate", lambda n, d: 0),
    b"S": ("ftSmallint", lambda n, d: 0), b"I": ("ftInteger", lambda n, d: 0),
    b"+": ("ftAutoInc", lambda n, d: 0), b"$": ("ftCurrency", lambda n, d: 0),
    b"N": ("ftFloat", lambda n, d: 0), b"L": ("ftBoolean", lambda n, d: 0),
    b"T": ("ftTime", lambda n, d: 0), b"@": ("ftDateTime", lambda n, d: 0),
    b"#": ("ftBCD", lambda n, d: d), b"Y": ("ftBytes", lambda n, d: n),
    b"M": ("ftMemo", lambda n, d: n - 10), b"B": ("ftBlob", lambda n, d: n - 10),
    b"F": ("ftFmtMemo", lambda n, d: n - 10), b"O": ("ftParadoxOle", lambda n, d: n - 10),
    b"G": ("ftGraphic", lambda n, d: n - 10),
}

def bcd_number(text: str):
    head, dot, tail = text.partition(".")
    tail = "".join(c if c.isdigit() else "0" for c in tail)
    return float(head + dot + tail), tail != text.partition(".")[2]

def iso_year(text: bytes, notes) -> bytes:
    # pxlib counts years before 1 as -1, -2, ... (no year 0); ISO 8601 has 0000 = 1 BC
    if text.startswith(b"-"):
        year, rest = text[1:].split(b"-", 1)
        notes.add("years before 1: pxlib writes 1 BC as -1, Vorendal (ISO) as 0000")
        y = 1 - int(year)
        return (b"%04d-" % y if y >= 0 else b"-%04d-" % -y) + rest
    return text

def compare_value(letter, ours: bytes, theirs: bytes, cp, notes):
    """None when equal (after conventions), else a short description."""
    o = ours.decode("utf-8", "replace")
    if letter in (b"D", b"@"):
        theirs = iso_year(theirs, notes)
    if theirs == b"!ERR":
        return "pxlib cannot read it; Vorendal: %s" % short(o)
    if letter in (b"A", b"M"):
        if theirs == b"\\N" or ours == b"\\N":
            return None if ours == theirs else "%s vs pxlib %s" % (short(o), short(theirs))
        raw = unescape(theirs)
        conv = as_vorendal_text(raw, cp)
        ou = unescape(ours).decode("utf-8")
        if conv is None:
            notes.add("code page %d unknown to pxlib: non-ASCII text compared loosely" % cp)
            return None if loose_equal(ou, raw) else "%s vs pxlib %s" % (short(o), short(raw))
        if conv != ou and cp in DOUBLE_BYTE and collapse(conv) == collapse(ou):
            notes.add("double-byte code page %d: runs of characters without a 1252 form "
                      "compared as one '?' (Python's codec rejects some Windows lead bytes)" % cp)
            return None
        return None if conv == ou else "%s vs pxlib %s" % (short(o), short(conv))
    if letter in (b"$", b"N", b"#"):
        if ours == b"\\N" or theirs == b"\\N":
            return None if ours == theirs else "%s vs pxlib %s" % (o, short(theirs))
        if letter == b"#":
            value, fixed = bcd_number(theirs.decode())
            if fixed:
                notes.add("BCD nibbles above 9 read as 0")
        else:
            value = float(theirs)
        return None if float(o) == value else "%s vs pxlib %r" % (o, value)
    if letter == b"Y" and ours != theirs and theirs == b"\\N" and ours[:2] == b"00":
        notes.add("Bytes value starting with 00: pxlib blank, Vorendal keeps the bytes")
        return None
    if letter == b"O" and ours != theirs and theirs[:6] == b"010000" and ours == theirs[16:]:
        notes.add("OLE prefix 01 00 00 0x + length dropped by Vorendal, kept by pxlib")
        return None
    if letter == b"G" and ours != theirs and b"010000".startswith(theirs[:6]) and \
            len(ours) == len(theirs) and ours.startswith(theirs[16:]):
        notes.add("graphic in a shared .MB block: pxlib returns it with its 8-byte prefix, "
                  "cut by 8 bytes; Vorendal drops the prefix")
        return None
    return None if ours == theirs else "%s vs pxlib %s" % (short(o), short(theirs))

def short(v, limit=40):
    if isinstance(v, bytes):
        v = v.decode("utf-8", "replace")
    v = repr(v)[1:-1] if any(ord(c) < 32 for c in v) else v
    return v if len(v) <= limit else v[:limit] + "...(%d)" % len(v)

def compare(path):
    diffs, notes = [], set()
    rc_o, out_o, err_o = run([cli, "describe"], path)
    rc_p, out_p, err_p = run([pxdump], path)
    t_o, f_o, r_o = parse(out_o)
    t_p, f_p, r_p = parse(out_p)
    if t_p is None:
        return ["pxlib cannot open the table: %s" % err_p.splitlines()[-1:]], notes
    meta = dict(c.decode().split("=", 1) for c in t_p[3:])
    cp = int(meta["cp"]) or (437 if int(meta["ver"]) < 40 else 0)
    if int(meta["cp"]) == 0 and int(meta["ver"]) < 40:
        notes.add("3.x table: no code page stored, 437 assumed")
    if meta["enc"] == "1":
        notes.add("encrypted: both read it without the password")
        if b"\nprotected\tyes\n" not in out_o:
            diffs.append("encrypted table, but describe has no line protected yes")
    if rc_o != 0 and "blob file (.MB)" in err_o and b"!ERR" in out_p:
        notes.add("blob file missing: both readers fail the values kept there; vorendal-cli "
                  "stops at the first, pxlib goes on (records not compared)")
    elif rc_o != 0:
        diffs.append("Vorendal fails: %s" % " ".join(err_o.split()))
    if t_o is None:
        return diffs, notes
    # fields
    if len(f_o) != len(f_p):
        diffs.append("field count %d vs pxlib %d" % (len(f_o), len(f_p)))
    for i, (fo, fp) in enumerate(zip(f_o, f_p)):
        name_p = as_vorendal_text(fp[0], cp)
        name_o = fo[0].decode("utf-8", "replace")
        if name_p is None:
            same = loose_equal(name_o, fp[0])
        else:
            same = name_p == name_o
        if not same:
            diffs.append("field %d name %r vs pxlib %r" % (i + 1, name_o, name_p or fp[0]))
        typ, size = TYPES.get(fp[1], ("?", lambda n, d: 0))
        exp_size = size(int(fp[2]), int(fp[3]))
        if fo[1].decode() != typ or int(fo[2]) != exp_size:
            diffs.append("field %s: %s %s vs pxlib %s %s (%s)" % (
                name_o, fo[1].decode(), fo[2].decode(), typ, exp_size, fp[1].decode()))
    # records
    if rc_o == 0 and len(r_o) != len(r_p):
        diffs.append("record count %d vs pxlib %d (header says %s)" % (len(r_o), len(r_p),
                                                                      meta["recs"]))
    letters = [fp[1] for fp in f_p]
    names = [fo[0].decode("utf-8", "replace") for fo in f_o]
    by_column = {}
    for n, (ro, rp) in enumerate(zip(r_o, r_p)):
        for c, (vo, vp) in enumerate(zip(ro, rp)):
            if c >= len(letters):
                break
            d = compare_value(letters[c], vo, vp, cp, notes)
            if d:
                by_column.setdefault(c, []).append((n + 1, d))
    for c, items in sorted(by_column.items()):
        shown = items if verbose else items[:3]
        diffs.append("column %s: %d value(s) differ: %s%s" % (
            names[c] if c < len(names) else c, len(items),
            "; ".join("rec %d: %s" % it for it in shown), "" if len(shown) == len(items) else "; ..."))
    return diffs, notes

paths = []
for root in roots:
    if os.path.isdir(root):
        for d, _, files in os.walk(root):
            paths += [os.path.join(d, f) for f in files if f.lower().endswith(".db")]
    elif os.path.isfile(root):
        paths.append(root)
    else:
        print("not found: %s" % root, file=sys.stderr)
seen, differing = set(), 0
for path in sorted(paths):
    real = os.path.realpath(path)
    if real in seen:
        continue
    seen.add(real)
    diffs, notes = compare(path)
    differing += bool(diffs)
    print("%s: %s" % (path, "DIFFERENT" if diffs else "same"))
    for d in diffs:
        print("  DIFF: " + d)
    for n in sorted(notes):
        print("  note: " + n)
print("%d table(s), %d with differences" % (len(seen), differing))
sys.exit(1 if differing else 0)
PYTHON
