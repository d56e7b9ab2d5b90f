#!/bin/sh
# Runs the designer's --firebird scripts through the embedded Firebird engine: a CREATE TABLE with
# every type letter, keys and awkward names, then an ALTER TABLE that adds the same fields and
# their key to a table made without them. Each script must load without an error, and the
# database must then hold the columns the grid describes (and no table a hostile definition
# tried to add). Skips (77) without isql-fb.
# Usage: firebird_designer.sh VORENDAL-CLI
set -u
cli=$1
command -v isql-fb >/dev/null 2>&1 || { echo "isql-fb not found: skipped"; exit 77; }

dir=$(mktemp -d /tmp/vorendal-fbd.XXXXXX)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/lock"
export FIREBIRD_LOCK="$dir/lock"
unset ISC_USER ISC_PASSWORD

# A table definition file: five lines per field (name, letter, size, key, null), then "#";
# Windows-1252 text, CR LF lines. "a\"o b" has a quote and a space; the accented name is 1252.
tab() { name=$1; shift; printf '%s\r\n' "$@" "#" > "$dir/$name.tab"; }
tab every \
    'a"o b' i '' x '' \
    "$(printf 'cora\347\343o')" v 40 '' N \
    data d '' '' '' \
    hora t '' '' '' \
    ativo b '' '' S \
    obs m '' '' '' \
    sigla c 3 x '' \
    flag c '' '' '' \
    saldo n '15,2' '' ''
tab base codigo i '' '' ''
# Names beyond Firebird's 31 bytes: shortened as the scripts of tables shorten them, the table's
# the same in CREATE and ALTER.
tab long nome_completo_do_cliente_principal_antigo v 60 '' ''
# Hostile definitions: a size, a type and a name with a zero byte that would carry statements
# past the grid's own; the firebird scripts refuse them, naming the row.
tab size a v '10) CHARACTER SET UTF8); CREATE TABLE PWNED7 (X INTEGER' '' ''
tab type a 'INTEGER); CREATE TABLE PWNED8 (X INTEGER' '' '' ''
printf 'a\000\r\ni\r\n\r\n\r\n\r\nx" INTEGER); CREATE TABLE PWNED9 (Y INTEGER); --\r\ni\r\n\r\n\r\n\r\n#\r\n' \
    > "$dir/zero.tab"

db="$dir/t.fdb"
printf "SET SQL DIALECT 3;\nCREATE DATABASE '%s' DEFAULT CHARACTER SET UTF8;\n" "$db" \
    | isql-fb -q -b || exit 1

failed=0
run() { # NAME: runs $dir/NAME.sql
    if ! isql-fb -q -e -m -i "$dir/$1.sql" "$db" > "$dir/$1.out" 2>&1 \
        || grep -q "Statement failed" "$dir/$1.out"; then
        echo "--- $1.sql failed:"; cat "$dir/$1.sql" "$dir/$1.out"; failed=1
    fi
}
"$cli" --firebird create "$dir/every.tab" 'cli.2004 x' -o "$dir/create.sql" || exit 1
"$cli" --firebird create "$dir/base.tab" 'outra "t"' -o "$dir/base.sql" || exit 1
"$cli" --firebird alter "$dir/every.tab" 'outra "t"' -o "$dir/alter.sql" || exit 1
"$cli" --firebird create "$dir/base.tab" CADASTRO_DE_CLIENTES_ANTIGOS_DE_2004 \
    -o "$dir/longbase.sql" || exit 1
"$cli" --firebird alter "$dir/long.tab" CADASTRO_DE_CLIENTES_ANTIGOS_DE_2004 \
    -o "$dir/longalter.sql" || exit 1
run create
run base
run alter
run longbase
run longalter
for hostile in size type zero; do
    if "$cli" --firebird create "$dir/$hostile.tab" t > "$dir/$hostile.sql" 2> "$dir/$hostile.err" \
        || ! grep -q "Row 1" "$dir/$hostile.err" || grep -q PWNED "$dir/$hostile.sql"; then
        echo "--- $hostile.tab was not refused:"; cat "$dir/$hostile.sql" "$dir/$hostile.err"; failed=1
    fi
done

# name|type|sub-type|length in characters|character set|precision|scale|not null, one a column
cat > "$dir/show.sql" <<'SQL'
SET NAMES UTF8;
SET HEADING OFF;
SELECT TRIM(r.RDB$RELATION_NAME) || '|' || TRIM(r.RDB$FIELD_NAME) || '|' || f.RDB$FIELD_TYPE
    || '|' || COALESCE(f.RDB$FIELD_SUB_TYPE, '') || '|' || COALESCE(f.RDB$CHARACTER_LENGTH, '')
    || '|' || COALESCE(TRIM(c.RDB$CHARACTER_SET_NAME), '') || '|'
    || COALESCE(f.RDB$FIELD_PRECISION, '') || '|' || f.RDB$FIELD_SCALE || '|'
    || COALESCE(r.RDB$NULL_FLAG, 0)
FROM RDB$RELATION_FIELDS r JOIN RDB$FIELDS f ON f.RDB$FIELD_NAME = r.RDB$FIELD_SOURCE
LEFT JOIN RDB$CHARACTER_SETS c ON c.RDB$CHARACTER_SET_ID = f.RDB$CHARACTER_SET_ID
    AND f.RDB$FIELD_TYPE IN (14, 37, 261)
WHERE r.RDB$SYSTEM_FLAG = 0 ORDER BY r.RDB$RELATION_NAME, r.RDB$FIELD_POSITION;
SELECT rel || '|' || CAST(LIST(fld, ',') AS VARCHAR(200)) FROM (
    SELECT TRIM(c.RDB$RELATION_NAME) AS rel, TRIM(s.RDB$FIELD_NAME) AS fld
    FROM RDB$RELATION_CONSTRAINTS c JOIN RDB$INDEX_SEGMENTS s ON s.RDB$INDEX_NAME = c.RDB$INDEX_NAME
    WHERE c.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' ORDER BY 1, s.RDB$FIELD_POSITION)
GROUP BY rel ORDER BY 1;
SQL
isql-fb -q -ch UTF8 -i "$dir/show.sql" "$db" | sed -e 's/ *$//' -e '/^$/d' > "$dir/all.txt"
grep -v '^CADASTRO_DE_CLIENTES_ANT' "$dir/all.txt" > "$dir/columns.txt"
if [ "$(grep -c '^CADASTRO_DE_CLIENTES_ANT[^|]*|NOME_COMPLETO_DO_CLIENTE_PRIN_1|37|' "$dir/all.txt")" != 1 ]; then
    echo "--- the long names were not shortened alike"; cat "$dir/all.txt"; failed=1
fi

# The fields of the grid, as both tables must hold them (ALTER adds them after CODIGO).
fields='A"O B|8|0|||0|0|1
CORAÇÃO|37|0|40|UTF8||0|1
DATA|12|||||0|0
HORA|13|||||0|0
ATIVO|23|||||0|0
OBS|261|1||UTF8||0|0
SIGLA|14|0|3|UTF8||0|1
FLAG|14|0|1|UTF8||0|0
SALDO|16|1|||15|-2|0'
{
    echo "$fields" | sed 's/^/CLI.2004 X|/'
    echo 'OUTRA "T"|CODIGO|8|0|||0|0|0'
    echo "$fields" | sed 's/^/OUTRA "T"|/'
    echo 'CLI.2004 X|A"O B,SIGLA'
    echo 'OUTRA "T"|A"O B,SIGLA'
} > "$dir/expected.txt"
if ! diff "$dir/expected.txt" "$dir/columns.txt"; then
    echo "--- the database does not hold the columns of the grid"; failed=1
fi
exit $failed
