#!/usr/bin/python3
"""Cross-checks Vorendal's dBASE / FoxPro reading against dbfread (python3-dbfread).

For every .dbf under /work/shared/testdata and every path given on the command line, compares the
field names, the number of live records and every value printed by `vorendal-cli describe` with
what dbfread reads, and prints a short summary of the real differences per table.

    python3 tools/compare_dbfread.py [--cli PATH] [--all] [TABLE.dbf | FOLDER]...

--cli   the vorendal-cli to run (default: build/cli/vorendal-cli, or $VORENDAL_CLI)
--all   list every differing value instead of the first few per field

Normalisation of representation differences (not reported):
  * dbfread gets the code page Vorendal uses; both sides are compared as Unicode after dbfread's
    text went through Windows-1252 the way Vorendal converts it (no 1252 form: '?').
  * blank values: our \\N matches dbfread's None, '' and b''; our text has trailing blanks trimmed
    and (as TField::AsString gives it) stops at its first NUL.
  * integers, floats and currency compare as doubles; dates as YYYY-MM-DD; date-times to the
    millisecond; logicals as true/false; binary memos as hex.
  * dBASE memo text: the soft return 0x8D 0x0A reads as CR LF in Vorendal.
  * Visual FoxPro _NullFlags, which dbfread ignores, are applied to dbfread's values here: the null
    bit makes a value None, the length bit of a V/Q field cuts it to the length in its last byte.
  * dbfread has no Q (varbinary) parser: it gets the field's bytes as they are stored.
  * a memo field's bytes are fetched by dbfread and decoded here as text or shown as hex, following
    the type Vorendal reports, so that the values and not the text/binary choice are compared.
Tables in the dBASE II and dBASE 7 layouts are skipped: dbfread reads only 32-byte descriptors.

Differences that remain on the test data are dbfread's (checked against the bytes):
  * dBASE IV .dbt: dbfread takes the block length, which counts the 8-byte block header, as the
    text length (stale bytes after the memo) and assumes 512-byte blocks whatever the header says.
  * C fields: dbfread always reads the decimals byte as the high byte of the width, even when the
    record length shows it is a plain decimals count (bug_64_excel_dbf).
  * dbfread needs the 0x0D descriptor terminator; it skips records whose flag is neither ' ' nor
    '*' (mazovia.dbf: 0x00) and stops at a 0x1A flag; it reads records past the header's count.
  * dbfread rejects values Vorendal reads as Null: '.' or '-' alone in N, impossible dates, logical
    letters other than TtYyFfNn?; it reads a date with blanks for zeros ('2020 1 1'), Vorendal
    gives Null.
  * vorendal-cli refuses npm-parsedbf/empty.dbf (version byte 0x0D), which dbfread reads as empty.
  * double-byte code pages: Vorendal turns every double-byte character into '?', also those with a
    1252 form (full-width symbols such as the division sign).
"""
import argparse
import codecs
import datetime
import decimal
import math
import os
import subprocess
import sys
from collections import defaultdict

try:
    import dbfread
except ImportError:  # python3-dbfread lives in the system interpreter's packages
    sys.path.append('/usr/lib/python3/dist-packages')
    import dbfread
from dbfread.codepages import codepages as DBFREAD_CODEPAGES
from dbfread.field_parser import FieldParser

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_CLI = os.path.join(HERE, '..', 'build', 'cli', 'vorendal-cli')
TESTDATA = '/work/shared/testdata'
SHOWN_PER_FIELD = 3
TABLE_ENCODING = ['cp437']  # the code page of the table being compared

# Language driver ids Vorendal knows beyond dbfread's table; 0 and unknown ids fall back to 437.
EXTRA_DRIVERS = {0x68: 'kamenicky', 0x69: 'mazovia', 0x6C: 'cp863', 0x86: 'cp737', 0x87: 'cp852',
                 0x88: 'cp857', 0xCC: 'cp1257'}
# Mazovia (Polish DOS) and Kamenicky (Czech DOS): code page 437 with other letters in 0x80-0xAF.
DOS_VARIANTS = {
    'mazovia': 'ÇüéâäàąçêëèïîćÄĄĘęłôöĆûùŚÖÜ¢Ł¥śƒŹŻóÓńŃźż¿⌐¬½¼¡«»',
    'kamenicky': 'ČüéďäĎŤčěĚĹÍľĺÄÁÉžŽôöÓůÚýÖÜŠĽÝŘťáíóúňŇŮÔšřŕŔ¼§«»',
}
BLOB_TYPES = {'ftBlob', 'ftGraphic', 'ftDBaseOle', 'ftParadoxOle', 'ftTypedBinary', 'ftBytes',
              'ftVarBytes'}
OUR_LETTERS = 'CVNFDLMGBPWQI+OYT@'  # letters Vorendal gives a type; others read as no value
VFP_VERSIONS = (0x30, 0x31, 0x32)
NUMBER_TYPES = {'ftSmallint', 'ftInteger', 'ftWord', 'ftLargeint', 'ftAutoInc', 'ftFloat',
                'ftCurrency', 'ftBCD', 'ftFMTBcd'}


def register_dos_variants():
    cp437 = bytes(range(256)).decode('cp437')
    infos = {}
    for name, high in DOS_VARIANTS.items():
        table = cp437[:0x80] + high + cp437[0xB0:]
        encoding = codecs.charmap_build(table)
        infos[name] = codecs.CodecInfo(
            name=name,
            encode=lambda s, errors='strict', e=encoding: codecs.charmap_encode(s, errors, e),
            decode=lambda b, errors='strict', t=table: codecs.charmap_decode(b, errors, t))
    codecs.register(infos.get)


def dbase7_driver_encoding(name):
    """Code page in a dBASE 7 driver name (header bytes 32-63) such as DB437US0 or DBWINUS0."""
    name = name.split(b'\0')[0].decode('ascii', 'replace').upper()
    if name.startswith(('DBWIN', 'BLLT1')):
        return 'cp1252'
    digits = ''
    for ch in name[2:7] if name.startswith('DB') else '':
        if not ch.isdigit():
            break
        digits += ch
    return 'cp' + digits if len(digits) >= 3 else None


def our_encoding(header):
    """The code page Vorendal reads the table in, as a Python codec name."""
    if header[0] == 0x02:
        return 'cp437'
    driver = header[29]
    name = EXTRA_DRIVERS.get(driver) or DBFREAD_CODEPAGES.get(driver, (None,))[0]
    if name == 'ascii':
        name = None
    if name is None and header[0] & 7 == 4 and header[0] not in VFP_VERSIONS:
        name = dbase7_driver_encoding(header[32:64])
    try:
        codecs.lookup(name or 'cp437')
    except LookupError:
        return 'cp437'
    return name or 'cp437'


def c1_for_undefined(error):
    """Decoding error handler: the five bytes 1252 leaves undefined travel as the C1 controls of
    the same number, as in Vorendal; any other undecodable byte becomes U+FFFD."""
    byte = error.object[error.start]
    c1 = TABLE_ENCODING[0] == 'cp1252' and byte in (0x81, 0x8D, 0x8F, 0x90, 0x9D)
    return (chr(byte) if c1 else '\ufffd'), error.start + 1


def via_1252(text):
    """Text as it comes out of Vorendal's Windows-1252 strings."""
    out = []
    for ch in text.split('\0')[0]:
        if ord(ch) in (0x81, 0x8D, 0x8F, 0x90, 0x9D):
            out.append(ch)
            continue
        try:
            ch.encode('cp1252')
            out.append(ch)
        except UnicodeEncodeError:
            out.append('?')
    return ''.join(out)


class Unreadable:
    """A value dbfread refused (it raises instead of returning Null)."""

    def __init__(self, error):
        self.error = error

    def __repr__(self):
        return '<dbfread: %s>' % self.error


class RawMemo(bytes):
    """Memo bytes, decoded later according to the type Vorendal reports."""


class LenientParser(FieldParser):
    """dbfread's parser, except that one bad value or unknown type does not stop the table."""

    def field_type_supported(self, field_type):
        return True

    def parse(self, field, data):
        try:
            return super().parse(field, data)
        except Exception as error:  # dbfread signals bad data with ValueError and others
            return Unreadable(str(error)[:60])

    def parseM(self, field, data):
        memo = self.get_memo(self._parse_memo_index(data))
        return None if memo is None else RawMemo(memo)

    def parseB(self, field, data):
        if self.dbversion in (0x30, 0x31, 0x32):
            return super().parseB(field, data)
        return self.parseM(field, data)

    parseG = parseP = parseW = parseM

    def parseQ(self, field, data):
        return VarField(data)

    def parseV(self, field, data):
        return VarField(data)


class VarField(bytes):
    """The stored bytes of a V or Q field, which dbfread reads without its length byte."""


def hidden(table, field):
    """True for the fields Vorendal does not report: _NullFlags and unknown VFP system fields."""
    system = table.header.dbversion in VFP_VERSIONS and field.reserved1 & 0x01  # byte 18
    return field.type == '0' or bool(system and field.type not in OUR_LETTERS)


def apply_null_flags(table, parser, record):
    """Visual FoxPro: applies the _NullFlags bits that dbfread leaves alone, then reads V fields
    as dbfread's C fields and leaves Q fields as bytes."""
    vfp = table.header.dbversion in VFP_VERSIONS
    flags_field = next((f for f in table.fields if f.type == '0'), None)
    flags, width, bit = 0, 0, 0
    if vfp and flags_field is not None:
        flags = int.from_bytes(record[flags_field.name], 'little')
        width = 8 * len(record[flags_field.name])
    for f in table.fields:
        vfp_flags = f.reserved1 & 0xFF if vfp else 0  # descriptor byte 18
        if hidden(table, f):
            continue
        if f.type in 'VQ':
            value = record[f.name]
            if bit < width and flags >> bit & 1 and isinstance(value, VarField):
                value = VarField(value[:min(value[-1], len(value) - 1)])
            if isinstance(value, VarField):
                record[f.name] = bytes(value) if f.type == 'Q' else parser.parseC(f, value)
            bit += 1
        if vfp_flags & 0x02:
            if bit < width and flags >> bit & 1:
                record[f.name] = None
            bit += 1


def unescape(text):
    if text == '\\N':
        return None
    out, i = [], 0
    while i < len(text):
        if text[i] == '\\' and i + 1 < len(text):
            out.append({'t': '\t', 'r': '\r', 'n': '\n'}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return ''.join(out)


def read_ours(cli, path):
    """(fields as [(name, type)], records as lists of text or None) from vorendal-cli."""
    run = subprocess.run([cli, 'describe', '--', path], capture_output=True)
    if run.returncode != 0:
        raise RuntimeError(run.stderr.decode('utf-8', 'replace').strip())
    fields, records = [], []
    for line in run.stdout.decode('utf-8').split('\n'):
        parts = line.split('\t')
        if parts[0] == 'field':
            fields.append((unescape(parts[1]), parts[2]))
        elif parts[0] == 'record':
            records.append([unescape(p) for p in parts[1:]])
    return fields, records


def theirs_as_text(value, our_type, table, is_fpt):
    """dbfread's value in the textual form vorendal-cli prints, or a number to compare as one."""
    if isinstance(value, Unreadable) or value is None:
        return value
    if isinstance(value, RawMemo):
        if our_type in BLOB_TYPES:
            return value.hex() or None
        if not is_fpt:
            value = value.replace(b'\x8d\n', b'\r\n')
        value = value.decode(table.encoding, 'c1')
        return via_1252(value) or None
    if isinstance(value, bytes):
        return value.hex() or None
    if isinstance(value, bool):
        return 'true' if value else 'false'
    if isinstance(value, (int, float, decimal.Decimal)):
        return float(value)
    if isinstance(value, datetime.datetime):
        value += datetime.timedelta(microseconds=500)  # dbfread's float seconds, to the ms
        return '%s %02d:%02d:%02d.%03d' % (value.date().isoformat(), value.hour, value.minute,
                                           value.second, value.microsecond // 1000)
    if isinstance(value, datetime.date):
        return value.isoformat()  # YYYY-MM-DD, years below 1000 zero-padded
    if isinstance(value, str):
        return via_1252(value.rstrip(' ')) or None
    return repr(value)


def same(ours, theirs, our_type):
    if isinstance(theirs, float):
        try:
            return ours is not None and (float(ours) == theirs or
                                         (math.isnan(theirs) and ours == 'nan'))
        except ValueError:
            return False
    if our_type in NUMBER_TYPES and ours is not None and isinstance(theirs, str):
        return False
    return ours == theirs


def compare(cli, path, show_all):
    with open(path, 'rb') as f:
        header = f.read(64)
    if len(header) < 32:
        return ['too short for a dBASE header: not compared']
    if header[0] == 0x02 or (header[0] & 7 == 4 and header[0] not in VFP_VERSIONS):
        return None  # dBASE II / dBASE 7 layout: dbfread cannot read it
    encoding = TABLE_ENCODING[0] = our_encoding(header)
    notes = []
    try:
        ours_fields, ours_records = read_ours(cli, path)
    except RuntimeError as error:
        return ['vorendal-cli failed: %s' % error]
    try:
        table = dbfread.DBF(path, encoding=encoding, char_decode_errors='c1',
                            ignore_missing_memofile=True, parserclass=LenientParser)
        theirs_records = [dict(r) for r in table]
    except Exception as error:
        return ['dbfread failed: %s: %s' % (type(error).__name__, error)]
    parser = LenientParser(table)
    is_fpt = isinstance(table.memofilename, str) and table.memofilename.lower().endswith('.fpt')

    shown = [f for f in table.fields if not hidden(table, f)]
    theirs_names = [via_1252(f.name) for f in shown]
    our_names = [name for name, _ in ours_fields]
    if our_names != theirs_names:
        notes.append('field names differ: ours %r, dbfread %r' % (our_names, theirs_names))
    if len(ours_records) != len(theirs_records):
        notes.append('live records: ours %d, dbfread %d' % (len(ours_records), len(theirs_records)))
    if our_names != theirs_names:
        return notes

    by_field = defaultdict(list)
    for number, (ours, theirs) in enumerate(zip(ours_records, theirs_records)):
        apply_null_flags(table, parser, theirs)
        for (name, our_type), our_value, f in zip(ours_fields, ours, shown):
            their_value = theirs_as_text(theirs[f.name], our_type, table, is_fpt)
            if not same(our_value, their_value, our_type):
                by_field[name].append((number, our_value, their_value))
    for name, diffs in by_field.items():
        our_type = dict(ours_fields)[name]
        notes.append('field %s (%s): %d value(s) differ' % (name, our_type, len(diffs)))
        for number, ours, theirs in diffs if show_all else diffs[:SHOWN_PER_FIELD]:
            notes.append('    record %d: ours %s, dbfread %s' %
                         (number, short(ours), short(theirs)))
    return notes


def short(value, limit=70):
    text = repr(value)
    return text if len(text) <= limit else text[:limit] + '...'


def tables_under(paths):
    for path in paths:
        if os.path.isdir(path):
            for folder, _, files in sorted(os.walk(path)):
                for name in sorted(files):
                    if name.lower().endswith('.dbf'):
                        yield os.path.join(folder, name)
        else:
            yield path


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--cli', default=os.environ.get('VORENDAL_CLI', DEFAULT_CLI))
    parser.add_argument('--all', action='store_true')
    parser.add_argument('paths', nargs='*')
    args = parser.parse_args()
    register_dos_variants()
    codecs.register_error('c1', c1_for_undefined)
    differing = 0
    for path in tables_under([TESTDATA] + args.paths):
        notes = compare(args.cli, path, args.all)
        if notes is None:
            print('%s: skipped (dBASE II / 7 layout, which dbfread does not read)' % path)
        elif notes:
            differing += 1
            print('%s: %d difference(s)' % (path, sum(not n.startswith(' ') for n in notes)))
            for note in notes:
                print('  ' + note)
        else:
            print('%s: same' % path)
    print('%d table(s) with differences' % differing)
    return 1 if differing else 0


if __name__ == '__main__':
    sys.exit(main())
