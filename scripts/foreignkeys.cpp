#include "scripts/foreignkeys.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>
#include <unordered_set>

#include "firebird/firebirdliterals.h"
#include "firebird/firebirdnames.h"
#include "firebird/firebirdtypes.h"
#include "scripts/linesink.h"
#include "scripts/ruleplan.h"
#include "scripts/structurescript.h"
#include "source/ttable.h"

namespace vorendal {
namespace {

using engine::Value;

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The run table the rule's stored file name names: a file of the child's own folder (the name
// compared without regard to case, as the desktop database found it).
std::optional<std::size_t> findInRun(std::span<const RunTable> run, const std::string& childPath,
                                     const std::string& stored) {
    if (stored.find_first_of("/\\:") != std::string::npos)
        return std::nullopt; // a table of another folder or alias is no table of this run
    const std::filesystem::path folder =
        std::filesystem::path(childPath).parent_path().lexically_normal();
    const std::string wanted = lowerAscii(stored);
    for (std::size_t i = 0; i < run.size(); ++i) {
        const std::filesystem::path path(run[i].path);
        if (path.parent_path().lexically_normal() == folder &&
            lowerAscii(path.filename().string()) == wanted)
            return i;
    }
    return std::nullopt;
}

// A value as a key of the set of a parent's keys: equal when Firebird would find them equal.
std::optional<std::string> keyText(const Value& v) {
    using K = Value::Kind;
    std::string out;
    switch (v.kind) {
    case K::Null:
        return std::nullopt;
    case K::Integer:
        return "n" + std::to_string(v.integer);
    case K::Float:
        if (std::trunc(v.number) == v.number && std::fabs(v.number) < 9e18)
            return "n" + std::to_string(static_cast<std::int64_t>(v.number));
        out = "f";
        out.resize(32);
        out.resize(static_cast<std::size_t>(
            std::to_chars(out.data() + 1, out.data() + out.size(), v.number).ptr - out.data()));
        return out;
    case K::Text:
    case K::Bytes: {
        std::string_view text = v.text;
        while (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        return "t" + std::string(text);
    }
    case K::Boolean:
        return v.boolean ? "b1" : "b0";
    case K::Date:
    case K::Time:
    case K::DateTime:
        return "d" + std::to_string(v.kind == K::Time ? 0 : v.days) + "." +
               std::to_string(v.kind == K::Date ? 0 : v.millis);
    }
    return std::nullopt;
}

// The key of one row over columns; nullopt when a column is blank (no parent is needed then).
std::optional<std::string> rowKey(TTable& table, const std::vector<std::size_t>& columns) {
    std::string key;
    for (const std::size_t c : columns) {
        const std::optional<std::string> part = keyText(table.Fields(static_cast<int>(c)).value());
        if (!part)
            return std::nullopt;
        key += std::to_string(part->size());
        key += ':';
        key += *part;
    }
    return key;
}

// What the plan needs of a table: its column names and its primary key's fields.
struct TableShape {
    std::vector<std::string> columns;
    std::vector<firebird::ColumnType> types;
    std::vector<std::size_t> key; // field positions, in key order; empty: no primary key
};

TableShape shapeOf(TTable& table) {
    TableShape shape;
    std::vector<std::string> upper;
    for (int i = 0; i < table.FieldCount(); ++i) {
        const TFieldDef& def = table.FieldDefs()[i];
        upper.push_back(firebird::upperCaseUtf8(def.Name));
        shape.types.push_back(firebird::columnTypeOf(def.DataType, def.Size));
    }
    shape.columns = upper;
    firebird::fitColumnNames(shape.columns);
    table.IndexDefs().Update();
    if (table.IndexDefs().Count() == 0 || !table.IndexDefs()[0].Options.contains(ixPrimary))
        return shape;
    for (const std::string& field : splitFieldNames(table.IndexDefs()[0].Fields)) {
        const std::string name = firebird::upperCaseUtf8(field);
        std::size_t i = 0;
        while (i < upper.size() && upper[i] != name)
            ++i;
        if (i == upper.size()) {
            shape.key.clear();
            return shape;
        }
        shape.key.push_back(i);
    }
    return shape;
}

void open(TTable& table, const std::string& path) {
    table.Close();
    table.setTableName(path);
    table.Open();
}

void appendColumns(std::string& out, const std::vector<std::string>& names,
                   const std::vector<std::size_t>& columns) {
    out += " (";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            out += ", ";
        firebird::appendIdentifier(out, names[columns[i]]);
    }
    out += ')';
}

// One rule of a child: its fields, the parent's file, the parent's fields (positions).
struct Link {
    std::string what;
    std::vector<std::size_t> fields;
    std::string parentFile;
    std::vector<std::size_t> parentFields;
    bool cascade = false;
};

class KeyPlanner {
public:
    KeyPlanner(std::span<const RunTable> run, TTable& child, TTable& parent)
        : m_run(run), m_child(child), m_parent(parent) {}

    void planTable(std::size_t index, std::vector<ForeignKeyPlan>& out) {
        const RunTable& table = m_run[index];
        open(m_child, table.path);
        std::vector<Link> links = linksOf(table);
        if (links.empty())
            return;
        TableShape childShape = shapeOf(m_child);
        int number = 0;
        for (Link& link : links) {
            ForeignKeyPlan plan{index, {}, {}, std::move(link.what), {}};
            plan.notCarried = refusal(table, link, childShape);
            if (plan.notCarried.empty()) {
                plan.before = widenings(table.name, link, childShape);
                plan.sql = statement(table.name, ++number, link, childShape);
            }
            out.push_back(std::move(plan));
        }
        m_child.Close();
        m_parent.Close();
    }

private:
    std::vector<Link> linksOf(const RunTable& table) {
        std::vector<Link> links;
        const TableRules& rules = m_child.rules();
        std::vector<std::string> columns;
        for (int i = 0; i < m_child.FieldCount(); ++i)
            columns.push_back(firebird::upperCaseUtf8(m_child.FieldDefs()[i].Name));
        firebird::fitColumnNames(columns);
        for (const ReferenceRule& r : rules.references) {
            Link link{table.name + " references " + r.parentTable + " (" + r.name + ")",
                      r.fields,
                      r.parentTable,
                      {},
                      r.cascadeUpdate};
            for (const std::uint16_t f : r.parentFields)
                link.parentFields.push_back(f > 0 ? f - 1u : 0u);
            links.push_back(std::move(link));
        }
        for (std::size_t i = 0; i < rules.fields.size() && i < columns.size(); ++i)
            if (rules.fields[i].lookup)
                links.push_back(
                    {table.name + "." + columns[i] + " looks up " + rules.fields[i].lookup->table,
                     {i},
                     rules.fields[i].lookup->table,
                     {0},
                     false});
        return links;
    }

    // Why the link cannot be a FOREIGN KEY; empty when it can.
    std::string refusal(const RunTable& table, const Link& link, const TableShape& childShape) {
        const std::optional<std::size_t> parent = findInRun(m_run, table.path, link.parentFile);
        if (!parent)
            return "the table " + link.parentFile + " is not part of this run";
        for (const std::size_t f : link.fields)
            if (f >= childShape.columns.size())
                return "the rule names a field the table does not have";
        open(m_parent, m_run[*parent].path);
        m_parentShape = shapeOf(m_parent);
        m_parentName = m_run[*parent].name;
        if (m_parentShape.key.empty())
            return m_parentName + " has no primary key";
        if (m_parentShape.key != link.parentFields ||
            link.fields.size() != link.parentFields.size())
            return "the fields it names are not the primary key of " + m_parentName;
        const std::uint64_t orphans = countOrphans(link);
        if (orphans > 0)
            return std::to_string(orphans) + (orphans == 1 ? " record" : " records") + " of " +
                   table.name + " find no row in " + m_parentName;
        return {};
    }

    std::uint64_t countOrphans(const Link& link) {
        std::unordered_set<std::string> keys;
        for (m_parent.First(); !m_parent.Eof(); m_parent.Next())
            if (std::optional<std::string> key = rowKey(m_parent, link.parentFields))
                keys.insert(std::move(*key));
        std::uint64_t orphans = 0;
        for (m_child.First(); !m_child.Eof(); m_child.Next())
            if (const std::optional<std::string> key = rowKey(m_child, link.fields))
                orphans += keys.count(*key) == 0;
        return orphans;
    }

    // The child columns whose integer type is narrower than the parent key's.
    std::vector<std::string> widenings(const std::string& childName, const Link& link,
                                       TableShape& childShape) const {
        std::vector<std::string> statements;
        for (std::size_t k = 0; k < link.fields.size(); ++k) {
            firebird::ColumnType& own = childShape.types[link.fields[k]];
            const firebird::ColumnType& wanted = m_parentShape.types[link.parentFields[k]];
            if (integerRank(own.kind) == 0 || integerRank(own.kind) >= integerRank(wanted.kind))
                continue;
            std::string sql = "ALTER TABLE ";
            firebird::appendIdentifier(sql, childName);
            sql += " ALTER COLUMN ";
            firebird::appendIdentifier(sql, childShape.columns[link.fields[k]]);
            sql += " TYPE ";
            firebird::appendColumnType(sql, wanted);
            statements.push_back(std::move(sql));
            own = wanted;
        }
        return statements;
    }

    static int integerRank(firebird::ColumnKind kind) {
        switch (kind) {
        case firebird::ColumnKind::Smallint:
            return 1;
        case firebird::ColumnKind::Integer:
            return 2;
        case firebird::ColumnKind::Bigint:
            return 3;
        default:
            return 0;
        }
    }

    std::string statement(const std::string& childName, int number, const Link& link,
                          const TableShape& childShape) const {
        std::string sql = "ALTER TABLE ";
        firebird::appendIdentifier(sql, childName);
        sql += " ADD CONSTRAINT ";
        firebird::appendIdentifier(sql, firebird::constraintName(childName, "FK", number));
        sql += " FOREIGN KEY";
        appendColumns(sql, childShape.columns, link.fields);
        sql += " REFERENCES ";
        firebird::appendIdentifier(sql, m_parentName);
        appendColumns(sql, m_parentShape.columns, link.parentFields);
        if (link.cascade)
            sql += " ON UPDATE CASCADE";
        return sql;
    }

    std::span<const RunTable> m_run;
    TTable& m_child;
    TTable& m_parent;
    TableShape m_parentShape;
    std::string m_parentName;
};

} // namespace

std::vector<ForeignKeyPlan> planForeignKeys(std::span<const RunTable> run, TTable& child,
                                            TTable& parent) {
    std::vector<ForeignKeyPlan> keys;
    KeyPlanner planner(run, child, parent);
    for (std::size_t i = 0; i < run.size(); ++i) {
        try {
            planner.planTable(i, keys);
        } catch (const std::exception& e) {
            // read whole a moment ago: said all the same, so that no rule goes unmentioned
            keys.push_back(
                {i,
                 {},
                 {},
                 run[i].name + " and the tables it names",
                 std::string("its references and lookups could not be read: ") + e.what()});
        }
        child.Close();
        parent.Close();
    }
    return keys;
}

void writeForeignKeyScript(std::span<const ForeignKeyPlan> keys, LineSink& sink) {
    for (const ForeignKeyPlan& key : keys) {
        for (const std::string& statement : key.before)
            sink.appendLine(statement + ";");
        if (!key.sql.empty())
            sink.appendLine(key.sql + ";");
        else
            sink.appendLine("/* not carried: " + commentText(key.what + ": " + key.notCarried) +
                            " */");
    }
}

} // namespace vorendal
