#include "scripts/ruleplan.h"

#include <ctime>
#include <optional>

#include "firebird/firebirdliterals.h"
#include "firebird/firebirdnames.h"
#include "firebird/firebirdtypes.h"
#include "scripts/linesink.h"
#include "scripts/ruleliterals.h"
#include "source/ttable.h"

namespace vorendal {
namespace {

using engine::Value;
using firebird::ColumnKind;

// What the records say about one field's rules.
struct FieldData {
    std::uint64_t nulls = 0;
    std::uint64_t belowMinimum = 0;
    std::uint64_t aboveMaximum = 0;
    std::optional<std::int64_t> highest; // of an autoincrement field
};

bool isIntegerKind(ColumnKind kind) {
    return kind == ColumnKind::Smallint || kind == ColumnKind::Integer ||
           kind == ColumnKind::Bigint;
}

// The moment the rules are checked, as the bounds "today" and "now" stand for it.
Value momentValue(RuleValue::Kind kind, ColumnKind column) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::int32_t day =
        engine::dayNumberFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    const std::int32_t millis = ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000;
    Value v;
    if (column == ColumnKind::Time)
        v.setTime(millis);
    else if (column == ColumnKind::Date || kind == RuleValue::Kind::Today)
        v.setDate(day);
    else
        v.setDateTime(day, millis);
    return v;
}

Value boundValue(const RuleValue& bound, ColumnKind column) {
    return bound.kind == RuleValue::Kind::Constant ? bound.value : momentValue(bound.kind, column);
}

// What the checked fields' values say, read in one pass over the records.
std::vector<FieldData> readFieldData(TTable& table, const std::vector<FieldRules>& fields,
                                     const std::vector<firebird::ColumnType>& types) {
    std::vector<FieldData> data(fields.size());
    std::vector<std::optional<Value>> minimum(fields.size());
    std::vector<std::optional<Value>> maximum(fields.size());
    std::vector<std::size_t> checked;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldRules& r = fields[i];
        if (r.minimum)
            minimum[i] = boundValue(*r.minimum, types[i].kind);
        if (r.maximum)
            maximum[i] = boundValue(*r.maximum, types[i].kind);
        if (r.required || r.nullable == false || r.minimum || r.maximum || r.autoIncrement)
            checked.push_back(i);
    }
    if (checked.empty())
        return data;
    for (table.First(); !table.Eof(); table.Next()) {
        for (const std::size_t i : checked) {
            const Value& v = table.Fields(static_cast<int>(i)).value();
            FieldData& d = data[i];
            // a value Firebird cannot hold is written as NULL; blank text of a column that
            // takes no NULL is written as the empty text, so it leaves the column NOT NULL
            if (v.isNull() || !holdsValue(types[i], v)) {
                if (!(v.isNull() && firebird::blankIsEmptyText(types[i], true)))
                    ++d.nulls;
                continue;
            }
            if (minimum[i] && compareValues(v, *minimum[i]).value_or(0) < 0)
                ++d.belowMinimum;
            if (maximum[i] && compareValues(v, *maximum[i]).value_or(0) > 0)
                ++d.aboveMaximum;
            if (fields[i].autoIncrement && v.kind == Value::Kind::Integer &&
                (!d.highest || v.integer > *d.highest))
                d.highest = v.integer;
        }
    }
    return data;
}

std::string rowsText(std::uint64_t n) {
    return std::to_string(n) + (n == 1 ? " record" : " records");
}

class Planner {
public:
    Planner(TTable& table, RulePlan& plan) : m_table(table), m_plan(plan) {}

    void plan() {
        const TableRules& rules = m_table.rules();
        const int count = m_table.FieldCount();
        for (int i = 0; i < count; ++i) {
            const TFieldDef& def = m_table.FieldDefs()[i];
            m_names.push_back(firebird::upperCaseUtf8(def.Name));
            m_types.push_back(firebird::columnTypeOf(def.DataType, def.Size));
        }
        firebird::fitColumnNames(m_names);
        m_plan.columns.resize(static_cast<std::size_t>(count));
        for (const std::string& sentence : rules.notDecoded)
            m_plan.notCarried.push_back(sentence);
        std::vector<FieldRules> fields = rules.fields;
        fields.resize(static_cast<std::size_t>(count));
        // a required field without a default counts as required whatever the rules say
        for (int i = 0; i < count; ++i)
            fields[static_cast<std::size_t>(i)].required |= m_table.FieldDefs()[i].Required;
        const std::vector<FieldData> data = readFieldData(m_table, fields, m_types);
        for (std::size_t i = 0; i < fields.size(); ++i)
            planField(i, fields[i], data[i]);
    }

private:
    std::string columnText(std::size_t i) const { return m_plan.tableName + "." + m_names[i]; }

    void notCarried(std::size_t i, const std::string& why) {
        m_plan.notCarried.push_back(columnText(i) + ": " + why);
    }

    void planField(std::size_t i, const FieldRules& r, const FieldData& d) {
        ColumnRule& column = m_plan.columns[i];
        const ColumnKind kind = m_types[i].kind;
        if (r.autoIncrement) {
            if (isIntegerKind(kind))
                planIdentity(i, *r.autoIncrement, d);
            else
                notCarried(i, "autoincrement of a column that holds no integers, not carried");
        } else if (r.defaultValue) {
            planDefault(i, *r.defaultValue);
        }
        if (r.required || r.nullable == false) {
            if (d.nulls == 0)
                column.notNull = true;
            else
                notCarried(i, std::string(r.required ? "required" : "takes no null in the table") +
                                  ", but blank in " + rowsText(d.nulls) +
                                  ": left without NOT NULL");
        }
        if (r.minimum)
            planBound(i, *r.minimum, ">=", "minimum", d.belowMinimum);
        if (r.maximum)
            planBound(i, *r.maximum, "<=", "maximum", d.aboveMaximum);
        if (!r.picture.empty()) {
            std::string sql = "COMMENT ON COLUMN ";
            firebird::appendIdentifier(sql, m_plan.tableName);
            sql += '.';
            firebird::appendIdentifier(sql, m_names[i]);
            sql += " IS ";
            firebird::appendTextLiteral(sql, "picture " + r.picture);
            m_plan.statements.push_back({std::move(sql), "the picture " + r.picture});
        }
    }

    void planIdentity(std::size_t i, const AutoIncrement& autoIncrement, const FieldData& d) {
        m_plan.columns[i].clause = " GENERATED BY DEFAULT AS IDENTITY";
        std::int64_t next = autoIncrement.next.value_or(1);
        if (d.highest && *d.highest >= next)
            next = *d.highest + 1;
        if (next > 1)
            m_plan.restarts.push_back({m_names[i], next});
        if (autoIncrement.step != 1)
            notCarried(i, "the table counts in steps of " + std::to_string(autoIncrement.step) +
                              "; the identity counts in steps of 1");
    }

    void planDefault(std::size_t i, const RuleValue& value) {
        std::string clause = " DEFAULT ";
        if (value.kind == RuleValue::Kind::Constant && value.value.isNull())
            return; // no default at all
        if (!appendRuleOperand(clause, value, m_types[i])) {
            notCarried(i, "a default Firebird cannot give this column, not carried");
            return;
        }
        m_plan.columns[i].clause = std::move(clause);
    }

    void planBound(std::size_t i, const RuleValue& bound, const char* op, const char* what,
                   std::uint64_t offending) {
        std::string operand;
        if (!appendRuleOperand(operand, bound, m_types[i])) {
            notCarried(i, std::string("a ") + what + " Firebird cannot compare with, not carried");
            return;
        }
        if (offending > 0) {
            notCarried(i, std::string("the ") + what + " " + operand + " is broken by " +
                              rowsText(offending) + ": CHECK not created");
            return;
        }
        std::string sql = "ALTER TABLE ";
        firebird::appendIdentifier(sql, m_plan.tableName);
        sql += " ADD CONSTRAINT ";
        firebird::appendIdentifier(sql,
                                   firebird::constraintName(m_plan.tableName, "CK", ++m_checks));
        sql += " CHECK (";
        firebird::appendIdentifier(sql, m_names[i]);
        sql += ' ';
        sql += op;
        sql += ' ';
        sql += operand;
        sql += ')';
        m_plan.statements.push_back({std::move(sql), std::string("the ") + what + " " + operand});
    }

    TTable& m_table;
    RulePlan& m_plan;
    std::vector<std::string> m_names;
    std::vector<firebird::ColumnType> m_types;
    int m_checks = 0;
};

} // namespace

RulePlan planRules(TTable& table, const std::string& path, const std::string& tableName) {
    RulePlan plan;
    plan.tableName = tableName;
    table.Close();
    table.setTableName(path);
    table.Open();
    Planner(table, plan).plan();
    table.Close();
    return plan;
}

std::string commentText(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '*' && i + 1 < text.size() && text[i + 1] == '/')
            out += ' ';
    }
    return out;
}

std::string restartStatement(std::string_view tableName, const IdentityRestart& restart,
                             int engineMajorVersion) {
    std::string sql = "ALTER TABLE ";
    firebird::appendIdentifier(sql, tableName);
    sql += " ALTER COLUMN ";
    firebird::appendIdentifier(sql, restart.column);
    sql += " RESTART WITH ";
    sql += std::to_string(engineMajorVersion <= 3 ? restart.next - 1 : restart.next);
    return sql;
}

void writeRuleScript(const RulePlan& plan, LineSink& sink) {
    for (const RuleStatement& statement : plan.statements)
        sink.appendLine(statement.sql + ";");
    if (!plan.restarts.empty()) {
        // the restart value means the last number given in Firebird 3, the next one after it
        sink.appendLine("SET TERM ^ ;");
        sink.appendLine("EXECUTE BLOCK AS");
        sink.appendLine("BEGIN");
        sink.appendLine(
            "  IF (RDB$GET_CONTEXT('SYSTEM', 'ENGINE_VERSION') STARTING WITH '3.') THEN BEGIN");
        for (const IdentityRestart& restart : plan.restarts) {
            std::string line = "    EXECUTE STATEMENT ";
            firebird::appendTextLiteral(line, restartStatement(plan.tableName, restart, 3));
            sink.appendLine(line + ";");
        }
        sink.appendLine("  END ELSE BEGIN");
        for (const IdentityRestart& restart : plan.restarts) {
            std::string line = "    EXECUTE STATEMENT ";
            firebird::appendTextLiteral(line, restartStatement(plan.tableName, restart, 4));
            sink.appendLine(line + ";");
        }
        sink.appendLine("  END");
        sink.appendLine("END^");
        sink.appendLine("SET TERM ; ^");
    }
    for (const std::string& sentence : plan.notCarried)
        sink.appendLine("/* not carried: " + commentText(sentence) + " */");
}

} // namespace vorendal
