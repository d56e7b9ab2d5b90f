#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "source/damagereport.h"
#include "source/engine/bytesource.h"
#include "source/engine/tablereader.h"
#include "source/engine/value.h"
#include "source/fieldtype.h"
#include "source/tablerules.h"

namespace vorendal {

class TTable;

// Name, type, size and required flag of one column.
struct TFieldDef {
    std::string Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    bool Required = false;
};

// Key fields (joined by ";") and options of one index.
struct TIndexDef {
    std::string Fields;
    TIndexOptions Options;
};

class TFieldDefs {
public:
    int Count() const { return static_cast<int>(m_items.size()); }
    const TFieldDef& operator[](int i) const { return m_items.at(static_cast<std::size_t>(i)); }

private:
    friend class TTable;
    std::vector<TFieldDef> m_items;
};

class TIndexDefs {
public:
    explicit TIndexDefs(TTable& owner) : m_owner(owner) {}
    // Reads the index definitions again when they are stale (after a path change or an opening);
    // works while the table is closed. Throws EDatabaseError / EDBEngineError.
    void Update();
    int Count() const { return static_cast<int>(m_items.size()); }
    const TIndexDef& operator[](int i) const { return m_items.at(static_cast<std::size_t>(i)); }

private:
    friend class TTable;
    TTable& m_owner;
    std::vector<TIndexDef> m_items;
};

// A readable value of the open table's current record.
class TField {
public:
    const std::string& FieldName() const { return m_name; }
    TFieldType DataType() const { return m_type; }
    int FieldNo() const { return m_column + 1; }

    // True when the current record holds no value for this field.
    bool IsNull() const;
    // Text up to its first zero byte (Windows-1252); "" when null.
    std::string AsString() const;
    // 0 when null. Throws EDatabaseError for text that is no integer.
    std::int64_t AsInteger() const;
    // false when null.
    bool AsBoolean() const;
    // 0.0 when null. Dates and times give their day number since 1899-12-30 with the time as
    // fraction of a day.
    double AsFloat() const;
    // The float value as a fixed-point number with four decimals (scaled by 10,000), rounded to
    // the nearest; 0 when null.
    std::int64_t AsCurrency() const;
    // Days since 1899-12-30 plus the time as a fraction of a day; 0 when null.
    double AsDateTime() const;
    // The encoding of the field's texts (the table's text delivery).
    engine::TextDelivery textDelivery() const;
    // The value as the engine yields it (kind, text, integer, float, date and time parts).
    const engine::Value& value() const; // inline below: it is read for every value exported

private:
    friend class TTable;
    void loadValue() const;
    TField(TTable& table, std::size_t column, std::string name, TFieldType type)
        : m_table(table), m_column(column), m_name(std::move(name)), m_type(type) {}

    TTable& m_table;
    std::size_t m_column; // column of the engine's table
    std::string m_name;
    TFieldType m_type;
    mutable engine::Value m_value;
    mutable std::uint64_t m_loadedRecord = 0;
};

// Characters of a table's text that have no Windows-1252 form and were handed out as '?'.
struct ReplacedCharacters {
    std::uint64_t names = 0;  // in the field and index names
    std::uint64_t values = 0; // in the values read
};

// The table component. Keeps the path, opens the file through the table engine, and yields field
// definitions, index definitions and records. Its own failures carry its name ("Table1: ...").
class TTable {
public:
    using ReaderFactory =
        std::function<std::unique_ptr<engine::TableReader>(const std::string& path)>;

    // name: the component's name used in its messages. readers: how a path is opened (by default
    // the table engine on the disk, the path's bytes unchanged, under the code page of
    // setCodePage(); tests hand in readers of their own).
    explicit TTable(std::string name = "Table1", ReaderFactory readers = {});
    ~TTable();
    TTable(const TTable&) = delete;
    TTable& operator=(const TTable&) = delete;

    const std::string& Name() const { return m_name; }

    // The path: the file system's own bytes, exactly as given (not 1252 text: a name need not be
    // valid UTF-8, nor lie within 1252). tableNameFromPath makes the 1252 table name of it.
    const std::string& TableName() const { return m_tableName; }
    // Same text: nothing happens. Another text: only while closed (else EDatabaseError "Cannot
    // perform this operation on an open dataset"); marks both definition lists stale.
    void setTableName(const std::string& path);

    bool Active() const { return m_reader != nullptr; }
    void setActive(bool active);
    // Opens the file and makes the fields. Throws EDatabaseError ("Missing TableName property")
    // or EDBEngineError; a failed opening leaves the table closed.
    void Open();
    void Close();

    // Reads the text of every table opened from now on under this code page, whatever the table
    // and a .cpg beside it say; nullopt (the start) lets the engine choose. Kept across openings
    // and path changes.
    void setCodePage(std::optional<int> codePage) { m_codePage = codePage; }
    std::optional<int> codePage() const { return m_codePage; }
    // The encoding of the texts of every table opened from now on (field names, index keys and
    // values): 1252 (the start, as the window shows them) or UTF-8. Kept like the code page.
    void setTextDelivery(engine::TextDelivery delivery) { m_delivery = delivery; }
    engine::TextDelivery textDelivery() const { return m_delivery; }
    // The number of records the open table's header gives, for progress displays only (a damaged
    // header may say anything); 0 when closed or unknown.
    std::uint64_t RecordCount() const { return m_reader ? m_reader->recordCount() : 0; }
    // The code page the last opened table's text is read under, and why.
    const engine::CodePageChoice& codePageUsed() const { return m_codePageUsed; }
    // Whether a field without a name (empty, or blanks only) of the tables read from now on is
    // given the name FIELD_<n>, n its field number from 1, before duplicate names are numbered;
    // an index key naming it names the made-up name instead. Off at the start (the classic
    // scripts keep the empty name); kept like the code page.
    void setNameUnnamedFields(bool on) { m_nameUnnamed = on; }
    // The made-up names of the table whose definitions were read last, in field order.
    struct MadeUpName {
        int fieldNo; // from 1
        std::string name;
    };
    const std::vector<MadeUpName>& madeUpNames() const { return m_madeUpNames; }
    // Whether the last opened table is password protected (it is read all the same).
    bool passwordProtected() const { return m_passwordProtected; }
    // The rules the last opened table carries (checks, defaults, lookups, autoincrement,
    // referential integrity): fields has one entry per field definition, or none. Kept by
    // Close(), emptied by a new path.
    const TableRules& rules() const { return m_rules; }

    // A second table component reading the same file as this open one, with the same readers,
    // code page, text delivery and field naming, opened at its first record: for reading other
    // records of the table on another thread. Throws what Open() throws.
    std::unique_ptr<TTable> openCopy() const;
    // Counts what a copy met while reading its records (damaged values, characters given as '?')
    // as read by this table, so that the reports cover every record however the reading was
    // shared out.
    void takeReadsOf(const TTable& copy);

    TFieldDefs& FieldDefs();
    TIndexDefs& IndexDefs() { return m_indexDefs; }

    int FieldCount() const { return static_cast<int>(m_fields.size()); }
    TField& Fields(int i) { return *m_fields.at(static_cast<std::size_t>(i)); }

    void First();
    void Next();
    bool Eof() const { return m_eof; }
    // Reading in stretches, for copies that share a table's records out between threads. Stretch
    // n of size: the live records among stored records n * size to (n + 1) * size - 1 where the
    // reader can move straight to a stored record (dBASE); else live records n * size to
    // (n + 1) * size - 1 from the first, reached by reading on (so n is best never lower than
    // the stretch before). Moves to the stretch's first record; Next() then stays within the
    // stretch, Eof() past its last. Throws what reading throws.
    void enterStretch(std::uint64_t n, std::uint64_t size);
    // Once Eof() in a stretch: no record follows it in the table (what ended the reading was
    // raised when it was met).
    bool stretchEndsTable() const { return m_stretch.endsTable; }
    // Counts the records visited since First(); fields use it to know their value is current.
    std::uint64_t recordSerial() const { return m_recordSerial; }

    // The values read since the table was last opened that could not be read whole (damaged
    // memos and blobs, read as null; text cut at a zero byte), per field and kind with the first
    // record number. Emptied by Open() and by a new path, kept by Close().
    const DamageReport& damage() const { return m_damage; }
    // The characters of the table's text that had no Windows-1252 form and were handed out as
    // '?' (never with the UTF-8 delivery): in the names of the last opening and in the values
    // read since it. Set anew by Open(), emptied by a new path, kept by Close().
    ReplacedCharacters replacedCharacters() const;

private:
    friend class TIndexDefs;
    friend class TField;

    [[noreturn]] void fail(const std::string& message) const;
    void checkTableName() const;
    std::unique_ptr<engine::TableReader> openReader() const;
    void takeFieldDefs(const engine::TableReader& reader);
    void takeIndexDefs(const engine::TableReader& reader);
    std::string keyWithMadeUpNames(const engine::TableReader& reader,
                                   const engine::IndexDescription& index) const;
    void updateIndexDefs();
    void readValue(std::size_t column, engine::Value& out);
    void checkActive() const;

    std::string m_name;
    ReaderFactory m_readers;
    bool m_custom; // the readers were handed in (the default ones read this table's settings)
    std::string m_tableName;
    std::unique_ptr<engine::TableReader> m_reader;
    TFieldDefs m_fieldDefs;
    TIndexDefs m_indexDefs;
    bool m_fieldDefsStale = true;
    bool m_indexDefsStale = true;
    std::vector<std::unique_ptr<TField>> m_fields;
    bool m_eof = true;
    struct Stretch {
        std::uint64_t end = 0;     // the first record past the stretch (stored or live)
        std::uint64_t current = 0; // counted stretches: the current live record, from 0
        bool endsTable = false;
        bool counted = false; // live records counted in table order
    } m_stretch;
    std::uint64_t m_recordSerial = 0;
    std::optional<int> m_codePage;
    engine::TextDelivery m_delivery = engine::TextDelivery::Ansi;
    engine::CodePageChoice m_codePageUsed;
    bool m_passwordProtected = false;
    DamageReport m_damage;
    bool m_nameUnnamed = false;
    std::vector<MadeUpName> m_madeUpNames;
    TableRules m_rules;
    ReplacedCharacters m_replaced;      // values: as of the last Close()
    std::uint64_t m_copiesReplaced = 0; // values read by copies since the last Open()
};

inline const engine::Value& TField::value() const {
    if (m_loadedRecord != m_table.recordSerial())
        loadValue();
    return m_value;
}

} // namespace vorendal
