#include "loader/tableload.h"

#include <chrono>
#include <cstring>

#include <ibase.h>

#include "base/ansi.h"
#include "firebird/firebirdliterals.h"
#include "firebird/firebirdnames.h"
#include "firebird/firebirdtypes.h"
#include "loader/databasetarget.h"
#include "loader/session.h"
#include "loader/tableverify.h"
#include "scripts/ruleplan.h"
#include "scripts/structurescript.h"
#include "source/ttable.h"

namespace vorendal::loader {
namespace {

std::string delimited(std::string_view name) {
    std::string out;
    firebird::appendIdentifier(out, name);
    return out;
}

// The foreign keys of other tables onto the table name, as the rows they select.
std::string foreignKeysOnto(const std::string& name) {
    std::string literal;
    firebird::appendTextLiteral(literal, name);
    return " FROM RDB$RELATION_CONSTRAINTS FK JOIN RDB$REF_CONSTRAINTS R ON "
           "R.RDB$CONSTRAINT_NAME = FK.RDB$CONSTRAINT_NAME JOIN RDB$RELATION_CONSTRAINTS PK ON "
           "PK.RDB$CONSTRAINT_NAME = R.RDB$CONST_NAME_UQ WHERE PK.RDB$RELATION_NAME = " +
           literal + " AND FK.RDB$RELATION_NAME <> " + literal;
}

// A table of an earlier load that other tables' foreign keys point at cannot be dropped: those
// keys go first (a load that carries them makes them again after its last table). Returns how
// many.
std::int64_t dropForeignKeysOnto(Session& session, const std::string& name) {
    const std::int64_t count = session.count("SELECT COUNT(*)" + foreignKeysOnto(name));
    if (count == 0)
        return 0;
    firebirdCall("the foreign keys onto " + name + " cannot be dropped (--replace)", [&] {
        session.execute("EXECUTE BLOCK AS DECLARE C VARCHAR(64); DECLARE T VARCHAR(64); BEGIN "
                        "FOR SELECT TRIM(FK.RDB$CONSTRAINT_NAME), TRIM(FK.RDB$RELATION_NAME)" +
                        foreignKeysOnto(name) +
                        " INTO :C, :T DO EXECUTE STATEMENT 'ALTER TABLE \"' || "
                        "REPLACE(T, '\"', '\"\"') || '\" DROP CONSTRAINT \"' || "
                        "REPLACE(C, '\"', '\"\"') || '\"'; END");
    });
    return count;
}

// The table's name must be free, or made free when the user asked for it. The insert procedure
// that a firebird script made for the table depends on it, so it goes with the table.
void makeRoom(Session& session, const std::string& name, bool replace, TableLoad& load) {
    if (session.count("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = ?", name) == 0)
        return;
    if (!replace)
        throw LoadError("the database already has a table " + name +
                        ": give --replace to drop it and load it again, or load into another "
                        "database");
    const std::string procedure = firebird::procedureName(name);
    if (session.count("SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME = ?",
                      procedure) != 0)
        firebirdCall("the procedure " + procedure + " cannot be dropped",
                     [&] { session.execute("DROP PROCEDURE " + delimited(procedure)); });
    if (const std::int64_t keys = dropForeignKeysOnto(session, name); keys > 0)
        load.notes.push_back(std::to_string(keys) + " foreign key(s) of other tables onto " + name +
                             " were dropped with it");
    firebirdCall("the table " + name + " cannot be dropped (--replace)",
                 [&] { session.execute("DROP TABLE " + delimited(name)); });
}

std::string createTableStatement(const StructureLines& lines) {
    std::string sql = "CREATE TABLE " + delimited(lines.tableName) + " (";
    for (const std::string& column : lines.columnLines) {
        sql += '\n';
        sql += column;
    }
    sql += ')';
    return sql;
}

// The statement of an index line of the firebird script; empty for a comment.
std::string indexStatement(std::string_view line) {
    if (line.substr(0, 2) == "/*")
        return {};
    if (!line.empty() && line.back() == ';')
        line.remove_suffix(1);
    return std::string(line);
}

int engineMajorVersion(Session& session) {
    return static_cast<int>(
        session.count("SELECT CAST(LEFT(V, POSITION('.' IN V) - 1) AS INTEGER) FROM (SELECT "
                      "RDB$GET_CONTEXT('SYSTEM', 'ENGINE_VERSION') AS V FROM RDB$DATABASE)"));
}

// The rules that wait for the rows: the checks (the rows were found to keep them), the column
// comments and the identities' next numbers. What the database refuses is said, not fatal: the
// rows are in.
void carryRules(Session& session, const RulePlan& rules, TableLoad& load) {
    load.rulesNotCarried = rules.notCarried;
    for (const RuleStatement& statement : rules.statements) {
        try {
            firebirdCall({}, [&] { session.execute(statement.sql); });
        } catch (const LoadError& e) {
            load.rulesNotCarried.push_back(statement.what + " not carried: " + e.message());
        }
    }
    if (rules.restarts.empty())
        return;
    try {
        const int version = firebirdCall({}, [&] { return engineMajorVersion(session); });
        for (const IdentityRestart& restart : rules.restarts)
            firebirdCall(
                {}, [&] { session.execute(restartStatement(rules.tableName, restart, version)); });
    } catch (const LoadError& e) {
        load.rulesNotCarried.push_back("the identity's next number not set: " + e.message());
    }
}

std::string errorText(const Exception& e, const TTable& table) {
    if (dynamic_cast<const LoadError*>(&e) != nullptr)
        return e.message();
    // the table's own messages are 1252 text, or UTF-8 when it delivers UTF-8 (names in them)
    const std::string shown = displayText(e.message());
    return table.textDelivery() == engine::TextDelivery::Utf8 ? shown : ansiToUtf8(shown);
}

void dropAgain(Session& session, const std::string& name, TableLoad& load) {
    try {
        firebirdCall({}, [&] { session.execute("DROP TABLE " + delimited(name)); });
    } catch (const LoadError& e) {
        load.error += " - the table could not be dropped again: " + e.message();
    }
}

} // namespace

TableLoad loadTable(Session& session, TTable& table, TTable& verifyTable, const std::string& path,
                    const std::string& tableName, const TableLoadOptions& options,
                    const ExportProgress& progress) {
    const auto start = std::chrono::steady_clock::now();
    TableLoad load;
    load.path = path;
    load.table = tableName.empty() ? firebird::tableName(path) : tableName;
    bool created = false;
    try {
        table.Close();
        table.setTableName(path);
        table.Open();
        if (table.FieldCount() == 0) {
            load.outcome = TableLoad::Outcome::Skipped;
            load.error = "the table has no fields: Firebird has no table without columns";
        } else {
            // the rules are checked against every record before the table is made, so that
            // none the rows break can refuse a row
            const RulePlan rules = planRules(table, path, load.table);
            table.Open();
            const StructureLines lines =
                structureLines(table, path, firebirdStructureProfile(), load.table, &rules);
            makeRoom(session, lines.tableName, options.replace, load);
            firebirdCall("the table " + lines.tableName + " cannot be created",
                         [&] { session.execute(createTableStatement(lines)); });
            created = true;
            ExportResult result;
            {
                DatabaseTarget target(session, lines, options);
                result = exportRecords(table, target, progress);
            }
            load.recordsRead = result.records;
            load.nullsWritten = result.nullsWritten;
            load.firstNulls = std::move(result.firstNulls);
            load.rowsLoaded = static_cast<std::uint64_t>(
                session.count("SELECT COUNT(*) FROM " + delimited(lines.tableName)));
            if (load.rowsLoaded != load.recordsRead)
                throw LoadError(std::to_string(load.rowsLoaded) + " rows arrived of " +
                                std::to_string(load.recordsRead) + " records read");
            if (options.verify) {
                verifyTable.Close();
                verifyTable.setTableName(path);
                verifyTable.Open();
                verifyRows(session, verifyTable, lines);
                verifyTable.Close();
                load.verified = true;
            }
            for (const std::string& line : lines.indexLines) {
                const std::string sql = indexStatement(line);
                if (sql.empty())
                    continue;
                try {
                    firebirdCall({}, [&] { session.execute(sql); });
                } catch (const LoadError& e) {
                    load.warnings.push_back("not created: " + sql + " - " + e.message());
                }
            }
            carryRules(session, rules, load);
            load.outcome = TableLoad::Outcome::Loaded;
        }
    } catch (const EAbort&) {
        if (created)
            dropAgain(session, load.table, load);
        throw;
    } catch (const Exception& e) {
        load.outcome = TableLoad::Outcome::Failed;
        load.error = errorText(e, table);
        if (created)
            dropAgain(session, load.table, load);
    } catch (const std::exception& e) {
        load.outcome = TableLoad::Outcome::Failed;
        load.error = e.what();
        if (created)
            dropAgain(session, load.table, load);
    }
    table.Close();
    verifyTable.Close();
    for (const TTable::MadeUpName& made : table.madeUpNames())
        load.notes.push_back("field " + std::to_string(made.fieldNo) +
                             " has no name; it is called " + made.name);
    load.damage = table.damage();
    for (const FieldDamage& field : load.damage.fields())
        load.damagedValues += field.count;
    load.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return load;
}

} // namespace vorendal::loader
