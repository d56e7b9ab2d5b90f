#!/usr/bin/env python3
"""Loads tables into a real Firebird through the firebird profile's script and compares every
value read back with what the table source yields.

For each table: `vorendal-cli --firebird all TABLE` writes the script, a fresh dialect 3 database
(default character set UTF8) is created, `isql-fb` runs the script (any error fails the table),
`fbdump` reads the table back, and every value is compared with `vorendal-cli --firebird describe`
of the same table: texts character for character, integers, floats exactly, money to four
decimals, dates and times, nulls, memos and binary values whole.

A value the script writes as NULL with a warning on standard error ("record N, field F") must
arrive as NULL; every other value must arrive equal.

Usage: roundtrip.py --cli PATH --fbdump PATH --work DIR [--fixtures WRITER [--long]]
       [--testdata DIR] [TABLE...]   (WRITER: the program that writes the fixture tables into a
       folder; --long: only its tables of values too long for one statement, up to 64 MiB)
Exit: 0 all loaded and equal, 1 a table failed, 77 Firebird's tools are missing (skipped).
"""
import argparse
import decimal
import socket
import time
import json
import os
import re
import shutil
import subprocess
import sys

SKIP = 77


def run(args, **kw):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kw)


def tables_under(folder):
    found = []
    for root, _dirs, files in os.walk(folder):
        for name in files:
            if name.lower().endswith((".dbf", ".db")):
                found.append(os.path.join(root, name))
    return sorted(found)


def unescape(text):
    if text == "\\N":
        return None
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            out.append({"\\": "\\", "t": "\t", "r": "\r", "n": "\n"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def parse_describe(text):
    name, fields, names, records = None, [], [], []
    for line in text.split("\n"):
        parts = line.split("\t")
        if parts[0] == "table":
            name = unescape(parts[2])
        elif parts[0] == "field":
            fields.append(parts[2])
            names.append(unescape(parts[1]))
        elif parts[0] == "record":
            records.append(parts[1:])
    return name, fields, names, records


def parse_dump(text):
    columns, records = [], []
    for line in text.split("\n"):
        parts = line.split("\t")
        if parts[0] == "column":
            columns.append("notnull" in parts[3:])
        elif parts[0] == "record":
            records.append(parts[1:])
    return columns, records


def millis(time_text):
    hms, _, fraction = time_text.partition(".")
    h, m, s = (int(x) for x in hms.split(":"))
    frac = decimal.Decimal("0." + (fraction or "0"))
    return ((h * 60 + m) * 60 + s) * 1000 + int((frac * 1000).to_integral_value())


def same_time(source, loaded):
    if " " in source:
        sd, st = source.split(" ", 1)
        ld, lt = loaded.split(" ", 1)
        return sd == ld and millis(st) == millis(lt)
    return millis(source) == millis(loaded)


def same(field_type, source, loaded):
    """True when the loaded value equals the source value for a field of that type."""
    if source == "\\N" or loaded == "\\N":
        return source == loaded
    if field_type in ("ftFloat",):
        return float(source) == float(loaded)
    if field_type in ("ftCurrency", "ftBCD", "ftFMTBcd"):
        places = decimal.Decimal(loaded).as_tuple().exponent
        if places < 0:
            q = decimal.Decimal(1).scaleb(places)
            # the stored double, exactly, to the places of the column
            return decimal.Decimal(float(source)).quantize(q, rounding=decimal.ROUND_HALF_EVEN) == \
                decimal.Decimal(loaded)
        return float(source) == float(loaded)
    if field_type in ("ftTime", "ftDateTime", "ftTimeStamp"):
        return same_time(source, loaded)
    if field_type in ("ftBytes", "ftVarBytes", "ftBlob", "ftGraphic", "ftParadoxOle",
                      "ftDBaseOle", "ftTypedBinary"):
        return source.lower() == loaded.lower()
    return unescape(source) == unescape(loaded)


TEXT_TYPES = ("ftString", "ftFixedChar", "ftWideString", "ftMemo", "ftFmtMemo", "ftWideMemo")


# Columns whose values read back as the same text: what rows are sorted on when the order in
# which Firebird gives them back is not the order they went in.
EXACT_TYPES = TEXT_TYPES + ("ftInteger", "ftSmallint", "ftLargeint", "ftWord", "ftAutoInc",
                            "ftDate", "ftBoolean")


def compare_in_order(numbered, rows, fields, names, not_null, warned):
    """numbered: (record index, values) of the table; rows: fbdump's rows, in the same order."""
    problems = []
    for (r, want), got in zip(numbered, rows):
        if len(want) != len(got):
            problems.append("record %d: %d values, %d columns" % (r + 1, len(want), len(got)))
            continue
        for c, (a, b) in enumerate(zip(want, got)):
            if (str(r + 1), names[c]) in warned and b == "\\N":
                continue
            # blank text where the column takes no NULL arrives as the empty text
            if a == "\\N" and b == "" and c < len(not_null) and not_null[c] and \
                    fields[c] in TEXT_TYPES:
                continue
            if not same(fields[c], a, b):
                problems.append("record %d field %d (%s): %r != %r" %
                                (r + 1, c + 1, fields[c], a[:60], b[:60]))
        if len(problems) > 10:
            break
    return problems


def compare_rows(source, fields, names, dump_text, warned):
    """The differences between the records describe gave and the rows fbdump read back. Firebird
    gives rows back in the order it keeps them, mostly but not always the order they went in:
    on a difference the rows are compared again, both sides sorted on their exact columns."""
    not_null, rows = parse_dump(dump_text)
    if len(rows) != len(source):
        return ["%d rows loaded, %d in the table" % (len(rows), len(source))]
    problems = compare_in_order(list(enumerate(source)), rows, fields, names, not_null, warned)
    if not problems:
        return []

    def key(values):
        return tuple("" if v == "\\N" else unescape(v)
                     for f, v in zip(fields, values) if f in EXACT_TYPES)

    numbered = sorted(enumerate(source), key=lambda pair: key(pair[1]))
    again = compare_in_order(numbered, sorted(rows, key=key), fields, names, not_null, warned)
    return again and problems


def fbdump_env():
    # Firebird's client library keeps its caches to the end of the process: under the sanitizers
    # the leak checker would fail fbdump (and the loader) for them
    env = dict(os.environ)
    env["ASAN_OPTIONS"] = (env.get("ASAN_OPTIONS", "") + ":detect_leaks=0").lstrip(":")
    return env


def check_load(tables, args, server=None):
    """Every table through `vorendal-cli load` into one fresh database, read back and compared.
    With a server (its port, user and password), the load goes over TCP and the server is stopped
    before the rows are read back from the file."""
    database = os.path.abspath(os.path.join(args.work, "load.fdb"))
    report_file = os.path.join(args.work, "load.json")
    for leftover in (database, report_file):
        if os.path.exists(leftover):
            os.remove(leftover)
    env = fbdump_env()
    into = database
    if server:
        into = "127.0.0.1/%d:%s" % (server["port"], database)
        env["ISC_USER"], env["ISC_PASSWORD"] = "SYSDBA", server["password"]
    loaded = run([args.cli, "load", "--create", "--verify", "--ignore-damaged", "-j", "2",
                  "--into", into, "--report", report_file] + tables, env=env)
    errors = loaded.stderr.decode("utf-8", "replace")
    if server:
        server["stop"]()
        with open(report_file, "rb") as f:
            said = loaded.stdout + loaded.stderr + f.read()
        if server["password"].encode() in said:
            print("FAIL     the password shows in what load wrote")
            return 1
    if not os.path.exists(report_file):
        print("FAIL     load wrote no report: " + errors[:2000])
        return 1
    with open(report_file, encoding="utf-8") as f:
        report = json.load(f)
    warned = set(re.findall(r"^vorendal-cli: warning: (.*?), record (\d+), field (.*?): a value "
                            r"Firebird cannot hold", errors, re.M))
    failed = 0
    for entry in report["tables"]:
        path = entry["path"]
        described = run([args.cli, "--firebird", "--ignore-damaged", "describe", path])
        readable = described.returncode == 0
        verdict, lines = "ok", []
        if entry["result"] == "failed":
            verdict = "not read" if not readable else "FAIL"
            lines = [entry["error"] or ""]
        elif entry["result"] == "skipped":
            verdict, lines = "empty", [entry["error"]]
        else:
            _name, fields, names, source = parse_describe(described.stdout.decode("utf-8"))
            dumped = run([args.fbdump, database, entry["table"]], env=fbdump_env())
            table_warned = {(r, f) for (t, r, f) in warned if t == entry["table"]}
            problems = compare_rows(source, fields, names, dumped.stdout.decode("utf-8"),
                                    table_warned) if dumped.returncode == 0 else \
                ["fbdump: " + dumped.stderr.decode("utf-8", "replace")]
            if not entry["verified"]:
                problems.append("load did not verify the table")
            if entry["records"] != len(source) or entry["rows"] != len(source):
                problems.append("summary: %d records, %d rows; describe gives %d" %
                                (entry["records"], entry["rows"], len(source)))
            if problems:
                verdict, lines = "FAIL", problems[:10]
            else:
                lines = ["%d records, %d fields, as %s" % (len(source), len(fields),
                                                           entry["table"])]
        print("%-8s %s" % (verdict, path))
        for line in lines:
            print("         " + line)
        failed += verdict == "FAIL"
    total = report["total"]
    if total["tables"] != len(tables) or total["rows"] != sum(t["rows"] for t in report["tables"]):
        print("FAIL     the report's total does not add up")
        failed += 1
    if not args.keep and os.path.exists(database):
        os.remove(database)
    print("%d tables through load, %d failed" % (len(tables), failed))
    return 1 if failed else 0


PARADOX_COMPANIONS = ["MB", "VAL", "X02", "XG0", "PX"]


def write_hostile(corpus, folder):
    """The fuzz corpus as table files: a dBASE input as it is, a Paradox input split at its
    "|PX|" markers into the table and its companions."""
    os.makedirs(folder, exist_ok=True)
    written = 0
    for kind in ("fuzz_dbf", "fuzz_paradox"):
        source = os.path.join(corpus, kind)
        if not os.path.isdir(source):
            continue
        for n, name in enumerate(sorted(os.listdir(source))):
            with open(os.path.join(source, name), "rb") as f:
                data = f.read()
            base = os.path.join(folder, "%s%03d" % (kind[5], n))
            if kind == "fuzz_dbf":
                parts = [(".dbf", data)]
            else:
                pieces = data.split(b"|PX|")
                parts = [(".db", pieces[0])] + [("." + ext, piece) for ext, piece in
                                                zip(PARADOX_COMPANIONS, pieces[1:])]
            for extension, piece in parts:
                with open(base + extension, "wb") as f:
                    f.write(piece)
            written += 1
    return written


def check_hostile(args):
    """Damaged and hostile tables through load: an error for each that cannot be read, no crash,
    and nothing in the database but whole tables, each holding the rows its report gives."""
    folder = os.path.join(args.work, "hostile")
    shutil.rmtree(folder, ignore_errors=True)
    if write_hostile(args.hostile, folder) == 0:
        print("no hostile tables at %s" % args.hostile)
        return 1
    database = os.path.abspath(os.path.join(args.work, "hostile.fdb"))
    report_file = os.path.join(args.work, "hostile.json")
    for leftover in (database, report_file):
        if os.path.exists(leftover):
            os.remove(leftover)
    loaded = run([args.cli, "load", "--create", "--verify", "-j", "2", "--into", database,
                  "--report", report_file, folder], env=fbdump_env())
    if loaded.returncode not in (0, 1) or not os.path.exists(report_file):
        print("FAIL     load ended with %d: %s" % (loaded.returncode,
                                                   loaded.stderr.decode("utf-8", "replace")[-2000:]))
        return 1
    with open(report_file, encoding="utf-8") as f:
        report = json.load(f)
    query = ("SET HEADING OFF;\nSELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS "
             "WHERE RDB$SYSTEM_FLAG = 0;\n")
    listed = run(["isql-fb", "-q", "-ch", "UTF8", database], input=query.encode())
    in_database = {l.strip() for l in listed.stdout.decode("utf-8", "replace").splitlines()
                   if l.strip()}
    loaded_tables = {t["table"] for t in report["tables"] if t["result"] == "loaded"}
    problems = []
    if in_database != loaded_tables:
        problems.append("tables in the database but not loaded: %s; loaded but missing: %s" %
                        (sorted(in_database - loaded_tables), sorted(loaded_tables - in_database)))
    for t in report["tables"]:
        if t["result"] == "loaded" and (t["rows"] != t["records"] or not t["verified"]):
            problems.append("%s: %d rows of %d records" % (t["path"], t["rows"], t["records"]))
        if t["result"] == "failed" and not t["error"]:
            problems.append("%s failed without a word" % t["path"])
    if not args.keep and os.path.exists(database):
        os.remove(database)
    counts = {r: sum(1 for t in report["tables"] if t["result"] == r)
              for r in ("loaded", "failed", "skipped")}
    print("%d hostile tables: %d loaded, %d refused, %d skipped" %
          (len(report["tables"]), counts["loaded"], counts["failed"], counts["skipped"]))
    for line in problems[:20]:
        print("FAIL     " + line)
    return 1 if problems else 0


def start_server(work):
    """A Firebird server on a free port of 127.0.0.1 (firebird3.0-server, run as root), or None."""
    password_file = "/etc/firebird/3.0/SYSDBA.password"
    if not os.path.exists("/usr/sbin/firebird") or os.geteuid() != 0 or \
            not os.path.exists(password_file):
        return None
    with open(password_file) as f:
        found = re.search(r'^ISC_PASSWORD="?([^"\n]*)"?', f.read(), re.M)
    if not found:
        return None
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
    os.chmod(work, 0o777)  # the server writes the database here
    process = subprocess.Popen(["/usr/sbin/firebird", "-p", str(port)],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(50):
        with socket.socket() as s:
            if s.connect_ex(("127.0.0.1", port)) == 0:
                break
        time.sleep(0.1)

    def stop():
        # The server may linger over its shutdown (it waits for its worker
        # threads); the test only needs it gone, not gone politely.
        if process.poll() is not None:
            return
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
    return {"port": port, "password": found.group(1), "stop": stop}


def check_table(path, args, index):
    base = os.path.join(args.work, "t%03d" % index)
    described = run([args.cli, "--firebird", "--ignore-damaged", "describe", path])
    if described.returncode != 0:
        return "not read", described.stderr.decode("utf-8", "replace").strip().splitlines()[:1]
    name, fields, names, source = parse_describe(described.stdout.decode("utf-8"))
    if not fields:
        return "empty", ["no fields: Firebird has no table without columns, nothing to load"]
    script = base + ".sql"
    made = run([args.cli, "--firebird", "--ignore-damaged", "all", path, "-o", script])
    if made.returncode != 0:
        return "FAIL", ["vorendal-cli all: " + made.stderr.decode("utf-8", "replace").strip()]
    warned = set(re.findall(r"record (\d+), field (.*?): a value Firebird cannot hold",
                            made.stderr.decode("utf-8", "replace")))
    database = os.path.abspath(base + ".fdb")
    if os.path.exists(database):
        os.remove(database)
    create = "SET SQL DIALECT 3;\nCREATE DATABASE '%s' DEFAULT CHARACTER SET UTF8;\n" % database
    made = run(["isql-fb", "-q", "-b"], input=create.encode())
    if made.returncode != 0:
        return "FAIL", ["create database: " + made.stderr.decode("utf-8", "replace")]
    loaded = run(["isql-fb", "-q", "-e", "-m", "-i", script, database])
    output = (loaded.stdout + loaded.stderr).decode("utf-8", "replace")
    errors = [l for l in output.splitlines() if "Statement failed" in l or "SQLSTATE" in l
              or l.startswith(("Expected end", "Command error"))]
    if loaded.returncode != 0 or errors:
        excerpt = [l for l in output.splitlines() if l.strip()][:12]
        return "FAIL", ["isql-fb exit %d" % loaded.returncode] + excerpt
    dumped = run([args.fbdump, database, name], env=fbdump_env())
    if dumped.returncode != 0:
        return "FAIL", ["fbdump: " + dumped.stderr.decode("utf-8", "replace")]
    problems = compare_rows(source, fields, names, dumped.stdout.decode("utf-8"), warned)
    if not args.keep:
        for leftover in (database, script):
            if os.path.exists(leftover):
                os.remove(leftover)
    if problems:
        return "FAIL", problems[:10]
    return "ok", ["%d records, %d fields" % (len(source), len(fields))]


# The tables' own rules through Firebird: the tables of each case go into one database (one
# script, or one load), then each statement must be accepted or refused as the rule says, each
# query must give the value and each warning must be on standard error. Paths under "fixtures/"
# are the fixture tables, the others are in the shared test data.
LEONHAD = "paradox/paradoxdriver-leonhad/"
RULE_CASES = [
    ("checks", ["fixtures/REGRAS.DB"],
     # first, as a refused insert uses up a number too
     [('INSERT INTO "REGRAS" ("QTD") VALUES (7)', True),
      ('INSERT INTO "REGRAS" ("QTD") VALUES (0)', False),  # below the minimum
      ('INSERT INTO "REGRAS" ("QTD") VALUES (101)', False),  # above the maximum
      ('INSERT INTO "REGRAS" ("QTD", "NOME") VALUES (7, NULL)', False)],  # required
     [('SELECT COUNT(*) FROM "REGRAS" WHERE "ID" = 45 AND "DIA" = CURRENT_DATE AND '
       '"NOME" = \'novo\'', "1")], []),
    ("broken rules", ["fixtures/QUEBRADA.DB", "fixtures/PAI.DB", "fixtures/FILHO.DB"],
     [('INSERT INTO "QUEBRADA" ("QTD", "NOME") VALUES (1, \'x\')', True),
      ('INSERT INTO "QUEBRADA" ("QTD") VALUES (2)', False),  # the name is required
      ('INSERT INTO "FILHO" ("ID", "PAI") VALUES (9, 99)', True)],
     [('SELECT COUNT(*) FROM "QUEBRADA"', "3"), ('SELECT COUNT(*) FROM "FILHO"', "3"),
      # its blank name arrived as the empty text
      ('SELECT COUNT(*) FROM "QUEBRADA" WHERE "NOME" = \'\'', "1")],
     ["QUEBRADA.QTD: the minimum 10 is broken by 1 record",
      "1 record of FILHO find no row in PAI"]),
    ("references", [LEONHAD + "joins/A.db", LEONHAD + "joins/B.db", LEONHAD + "joins/C.DB"],
     [('INSERT INTO "C" ("C", "A", "B") VALUES (99, 12345, 4)', False),  # no such A
      ('INSERT INTO "C" ("C", "A", "B") VALUES (98, 2, 5)', True),
      ('INSERT INTO "C" ("C", "A", "B") VALUES (97, NULL, 5)', False),  # A is required
      ('UPDATE "A" SET "A" = 11 WHERE "A" = 1', True),  # cascades into C
      ('DELETE FROM "B" WHERE "B" = 5', False)],  # C still needs it
     [('SELECT COUNT(*) FROM "C" WHERE "A" = 11', "1")], []),
    ("autoincrement", ["paradox/paradoxReader-teverett/CUSTOMER.DB",
                       "dbase/php-xbase-luads/dBase/dBaseVII.dbf",
                       "dbase/php-xbase-luads/foxpro/vfp.dbf"],
     [('INSERT INTO "CUSTOMER" ("FIRSTNAME") VALUES (\'Nova\')', True),
      ('INSERT INTO "DBASEVII" ("NAME") VALUES (\'Nova\')', True),
      # every other column of this table takes no null
      ('INSERT INTO "VFP" ("NAME", "BIRTHDAY", "IS_MAN", "BIO", "MONEY", "IMAGE", "RATE") '
       'SELECT \'Nova\', "BIRTHDAY", "IS_MAN", "BIO", "MONEY", "IMAGE", "RATE" FROM "VFP" ROWS 1',
       True),
      ('INSERT INTO "VFP" ("NAME") VALUES (\'Nova\')', False)],
     [('SELECT "CUSTNO" FROM "CUSTOMER" WHERE "FIRSTNAME" = \'Nova\'', "45"),
      ('SELECT "AUTO_INC" FROM "DBASEVII" WHERE "NAME" = \'Nova\'', "3"),
      ('SELECT "AI" FROM "VFP" WHERE "NAME" = \'Nova\'', "4")], []),
    ("default", [LEONHAD + "fields/logical.db"],
     [('INSERT INTO "LOGICAL" DEFAULT VALUES', True),
      ('INSERT INTO "LOGICAL" ("BOOL") VALUES (NULL)', False)],  # required
     [('SELECT COUNT(*) FROM "LOGICAL" WHERE "BOOL"', "4")], []),
    ("pictures", [LEONHAD + "areas/ZIPCODES.DB"], [],
     [("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = 'ZIPCODES' AND "
       "RDB$DESCRIPTION STARTING WITH 'picture'", "2")], []),
]


def isql(database, sql):
    done = run(["isql-fb", "-q", "-b", "-ch", "UTF8", database],
               input=("SET LIST ON;\n%s;\nCOMMIT;\n" % sql).encode())
    return done.returncode, (done.stdout + done.stderr).decode("utf-8", "replace")


def check_rules(args, load):
    """Each rule case through a script (or a load) into a fresh database."""
    failed = 0
    for name, files, statements, queries, warnings in RULE_CASES:
        paths = [os.path.join(args.work if f.startswith("fixtures/") else args.testdata or "", f)
                 for f in files]
        if not all(os.path.exists(p) for p in paths):
            print("skipped  rules: %s (test data missing)" % name)
            continue
        database = os.path.abspath(os.path.join(args.work, "rules-%s.fdb" % name))
        if os.path.exists(database):
            os.remove(database)
        problems = []
        said = ""
        if load:
            made = run([args.cli, "load", "--ignore-damaged", "--create", "--into", database] +
                       paths, env=fbdump_env())
            said = made.stderr.decode("utf-8", "replace")
            if made.returncode != 0:
                problems.append("load: " + said.strip())
        else:
            script = database[:-4] + ".sql"
            made = run([args.cli, "--firebird", "--ignore-damaged", "all"] + paths +
                       ["-o", script])
            said = made.stderr.decode("utf-8", "replace")
            create = ("SET SQL DIALECT 3;\nCREATE DATABASE '%s' DEFAULT CHARACTER SET UTF8;\n"
                      % database)
            run(["isql-fb", "-q", "-b"], input=create.encode())
            loaded = run(["isql-fb", "-q", "-e", "-m", "-i", script, database])
            if made.returncode != 0 or loaded.returncode != 0:
                output = (loaded.stdout + loaded.stderr).decode("utf-8", "replace")
                problems.append("script: " + made.stderr.decode("utf-8", "replace").strip())
                problems += [l for l in output.splitlines() if "failed" in l or "-" == l[:1]][:6]
        for sql, accepted in statements:
            status, output = isql(database, sql)
            if (status == 0) != accepted:
                problems.append("%s: %s" % ("refused" if accepted else "accepted", sql))
                problems += output.strip().splitlines()[:3]
        problems += ["no warning: " + w for w in warnings if w not in said]
        for sql, expected in queries:
            _status, output = isql(database, sql)
            values = [l.split()[-1] for l in output.splitlines() if l.strip()]
            if values[:1] != [expected]:
                problems.append("%s gave %s, not %s" % (sql, values[:1], expected))
        print("%-8s rules: %s" % ("FAIL" if problems else "ok", name))
        for line in problems:
            print("         " + line)
        failed += bool(problems)
    return failed


PLAIN_NAME = re.compile(r"^[A-Z][A-Z0-9_$]{0,30}$")
# Words Firebird reserves that tables of the test data use as names: the classic key statement
# writes names without quotes, so Firebird cannot take those (the firebird profile quotes them).
RESERVED = {"LONG", "DATE", "TIME", "TIMESTAMP", "USER", "ORDER", "TABLE", "INDEX", "KEY",
            "VALUE", "CHAR", "CHARACTER", "INTEGER", "SMALLINT", "NUMERIC", "DECIMAL", "FLOAT",
            "DOUBLE", "BLOB", "BOOLEAN", "GROUP", "FROM", "WHERE", "SELECT", "POSITION",
            "COUNT", "SUM", "MIN", "MAX", "AVG", "PLAN", "ROWS", "START", "END", "DAY", "MONTH",
            "YEAR", "HOUR", "MINUTE", "SECOND", "COLUMN", "PRIMARY"}


def check_classic(path, args, index):
    """The classic structure script through Firebird (dialect 3, WIN1252): its CREATE TABLE and
    its primary key must be accepted; the note lines of secondary indexes are not SQL and fail."""
    made = run([args.cli, "structure", path])
    if made.returncode != 0:
        return None
    script_text = made.stdout.decode("cp1252")
    key = re.search(r"^ALTER TABLE (\S+) ADD PRIMARY KEY \((.*)\);\r?$", script_text, re.M)
    table = re.search(r'^CREATE TABLE "(.*)"\r?$', script_text, re.M)
    # the classic key statement names the table and its fields without quotes
    if not key or not table or not all(PLAIN_NAME.match(n) and n not in RESERVED for n in
                                       [key.group(1)] + key.group(2).split(",")):
        return None
    base = os.path.join(args.work, "c%03d" % index)
    with open(base + ".sql", "wb") as f:
        f.write(made.stdout)
    database = os.path.abspath(base + ".fdb")
    if os.path.exists(database):
        os.remove(database)
    create = "SET SQL DIALECT 3;\nCREATE DATABASE '%s' DEFAULT CHARACTER SET WIN1252;\n" % database
    run(["isql-fb", "-q", "-b"], input=create.encode())
    loaded = run(["isql-fb", "-q", "-e", "-m", "-ch", "WIN1252", "-i", base + ".sql", database])
    output = (loaded.stdout + loaded.stderr).decode("cp1252", "replace")
    failed = [l for l in output.splitlines() if "CREATE TABLE" in l and "failed" in l]
    query = ("SELECT 'KEYS', COUNT(*) FROM RDB$RELATION_CONSTRAINTS WHERE RDB$RELATION_NAME = '%s'"
             " AND RDB$CONSTRAINT_TYPE = 'PRIMARY KEY';\n" % table.group(1).replace("'", "''"))
    keys = run(["isql-fb", "-q", "-ch", "WIN1252", database], input=query.encode())
    found = re.search(r"KEYS\s+(\d+)", keys.stdout.decode("cp1252", "replace"))
    if not args.keep:
        for leftover in (database, base + ".sql"):
            if os.path.exists(leftover):
                os.remove(leftover)
    if failed or not found or found.group(1) != "1":
        return "FAIL", failed[:3] + ["primary key not created"]
    return "ok", ["CREATE TABLE and primary key accepted"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--fbdump", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--testdata")
    parser.add_argument("--fixtures")
    parser.add_argument("--classic", action="store_true",
                        help="check the classic structure scripts instead (keyed tables only)")
    parser.add_argument("--load", action="store_true",
                        help="load every table with vorendal-cli load into one database instead")
    parser.add_argument("--hostile", metavar="CORPUS",
                        help="load the fuzz corpus's damaged and hostile tables instead")
    parser.add_argument("--server", action="store_true",
                        help="with --load: through a Firebird server this test starts")
    parser.add_argument("--long", action="store_true",
                        help="the fixture writer's long values only (memos up to 64 MiB)")
    parser.add_argument("--keep", action="store_true", help="keep scripts and databases")
    parser.add_argument("tables", nargs="*")
    args = parser.parse_args()
    if shutil.which("isql-fb") is None or not os.path.exists(args.fbdump):
        print("round trip skipped: isql-fb or fbdump is not installed (tools/deps.sh firebird)")
        return SKIP
    if args.hostile:
        os.makedirs(args.work, exist_ok=True)
        return check_hostile(args)
    tables = list(args.tables)
    if args.testdata:
        if os.path.isdir(args.testdata):
            tables += tables_under(args.testdata)
        elif not args.fixtures:
            print("round trip skipped: no test data at %s" % args.testdata)
            return SKIP
        else:
            print("no test data at %s: the fixture tables only" % args.testdata)
    os.makedirs(args.work, exist_ok=True)
    if args.fixtures:
        folder = os.path.join(args.work, "fixtures")
        shutil.rmtree(folder, ignore_errors=True)
        written = run([args.fixtures] + (["--long"] if args.long else []) + [folder])
        if written.returncode != 0:
            print("FAIL     fixtures: " + written.stderr.decode("utf-8", "replace"))
            return 1
        tables += tables_under(folder)
    if args.load and args.server:
        server = start_server(args.work)
        if server is None:
            print("server test skipped: needs /usr/sbin/firebird (firebird3.0-server), root and "
                  "SYSDBA's password in /etc/firebird/3.0/SYSDBA.password")
            return SKIP
        try:
            return check_load(tables, args, server)
        finally:
            server["stop"]()
    if args.load:
        status = check_load(tables, args)
        return max(status, 1 if check_rules(args, True) else 0)
    failed = 0
    if args.classic:
        checked = 0
        for index, path in enumerate(tables):
            result = check_classic(path, args, index)
            if result is None:
                continue
            checked += 1
            print("%-8s %s" % (result[0], path))
            for line in result[1]:
                print("         " + line)
            failed += result[0] == "FAIL"
        print("%d keyed tables, %d failed" % (checked, failed))
        return 1 if failed or checked == 0 else 0
    for index, path in enumerate(tables):
        verdict, lines = check_table(path, args, index)
        print("%-8s %s" % (verdict, path))
        for line in lines:
            print("         " + line)
        failed += verdict == "FAIL"
    print("%d tables, %d failed" % (len(tables), failed))
    if not args.long:
        failed += check_rules(args, False)
    if args.long and args.fixtures and not args.keep:
        shutil.rmtree(os.path.join(args.work, "fixtures"), ignore_errors=True)
    return 1 if failed else 0


class FailureRecap:
    """Passes everything printed on and keeps each FAIL line with the lines under it, to print
    them again at the end: a long run's log may be cut in its middle."""

    def __init__(self, out):
        self.out, self.failures, self.keeping, self.pending = out, [], False, ""

    def write(self, text):
        self.out.write(text)
        self.pending += text
        *lines, self.pending = self.pending.split("\n")
        for line in lines:
            if line.startswith("FAIL"):
                self.keeping = True
            elif not line.startswith("         "):
                self.keeping = False
            if self.keeping:
                self.failures.append(line)

    def flush(self):
        self.out.flush()

    def recap(self):
        if self.failures:
            self.out.write("\nwhat failed, again:\n" + "\n".join(self.failures[:60]) + "\n")


if __name__ == "__main__":
    recap = FailureRecap(sys.stdout)
    sys.stdout = recap
    try:
        status = main()
    finally:
        sys.stdout = recap.out
        recap.recap()
    sys.exit(status)
