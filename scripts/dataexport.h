#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scripts/regionalsettings.h"
#include "scripts/tableexport.h"
#include "source/ttable.h"

namespace vorendal {

class LineSink;

// How a field's value is written in a procedure call.
enum class ExportValue : std::uint8_t {
    Text,        // quoted text, the quote doubled inside
    Integer,     // decimal digits, "-" when negative
    Logical,     // the true or false form
    Fixed2,      // two decimals
    Money,       // four decimals at most, general form
    Date,        // short date
    Time,        // long time
    DateAndTime, // short date, a blank, long time
    Decimal,     // general form with a decimal point
    Binary,      // the bytes as they are stored
    Null         // no value is carried
};

// What the data export writes: how each field type's value is written and the shape of the call.
// The generator takes every text that an output may change from here.
struct DataExportProfile {
    // Written before the first call.
    std::span<const std::string_view> headerLines;
    // The way of writing a value of a field whose definition has this type.
    ExportValue (*valueOf)(TFieldType type);
    // Appends the field's current value written as kind; the comma after it is not part of it.
    // Allocates nothing beyond out's growth for the common value kinds. Returns false, having
    // appended nothing, for a value the output cannot hold: the export writes NULL and warns.
    // def: the field's definition (its size gives a BCD field's decimals).
    bool (*appendValue)(std::string& out, ExportValue kind, const TField& field,
                        const TFieldDef& def, const RegionalSettings& settings);
    // The table's name in the script, from the path of its file.
    std::string (*tableName)(std::string_view path);
    // "EXECUTE PROCEDURE IN_<table>(" and what closes the call.
    void (*callStart)(std::string& out, std::string_view tableName);
    std::string_view callEnd;
    // Written after every commitEvery calls and after the last one; 0: never.
    std::uint64_t commitEvery;
    std::string_view commitLine;
    // Written instead of the calls for a table without fields; empty: one call per record.
    std::string_view noFieldsLine;
    // For the open table of the file at path, whether the blank (null) value of each field
    // definition is written as emptyText instead of NULL; null: no field's.
    std::vector<bool> (*blankIsEmptyText)(TTable& table, std::string_view path);
    std::string_view emptyText;
    // The longest call the output takes (bytes, its end included); 0: any length. A call that
    // would be longer takes its long values from statements of their own written before it.
    std::size_t callLimit;
    // Writes to sink the statements that hold the field's value, when it is too long to stay in
    // a call, under number slot (unique among the values of one call), and appends to out the
    // expression that gives it back; returns false, having written nothing, for a shorter value.
    bool (*holdValue)(LineSink& sink, std::string& out, ExportValue kind, const TField& field,
                      int slot);
    // Written before the first value held for a table, after every call that took held values,
    // and after the table's last call when a value was held.
    std::span<const std::string_view> holdingStart;
    std::string_view heldCallEnd;
    std::span<const std::string_view> holdingEnd;
};

// The classic output, as the InterBase / Firebird interactive SQL tool takes it.
const DataExportProfile& classicDataExportProfile();

// Firebird 3 and later, dialect 3, UTF-8 text (the table read with UTF-8 delivery).
const DataExportProfile& firebirdDataExportProfile();

// The data script as an export target: one call of the insert procedure per record, then an
// empty line. sink, profile and settings must outlive it. path: the table file's path (1252
// text), which gives the table's name in the calls.
class DataScriptTarget : public ExportTarget {
public:
    DataScriptTarget(LineSink& sink, const DataExportProfile& profile,
                     const RegionalSettings& settings, std::string_view path);

    void beginTable(TTable& table) override;
    void writeRecord(TTable& table, std::uint64_t record, ExportResult& result) override;
    void endTable(TTable& table, ExportResult& result) override;

    bool formatsLines() const override;
    void formatRecord(TTable& table, std::uint64_t record, std::string& line,
                      ExportResult& result) const override;
    void writeLine(std::string_view line, std::uint64_t record) override;

private:
    // One field of the export: its value and how it is written.
    struct Column {
        const TField* field;
        const TFieldDef* def;
        ExportValue kind;
        bool blankIsEmptyText;
    };

    // The bytes that the call of the current record takes at least: the text and binary values'
    // own bytes, without their quotes, doubled apostrophes or hexadecimal. Below a megabyte (far
    // below any call limit) it may count more: the bytes stored, up to a zero byte or not.
    std::size_t leastCallBytes() const;
    // nulls: where a value the output cannot hold is counted; null when counted already.
    void writeHeldCall(std::uint64_t record, ExportResult* nulls);
    void endRecord(std::uint64_t record);

    LineSink& m_sink;
    const DataExportProfile& m_profile;
    const RegionalSettings& m_settings;
    std::string m_path;
    std::string m_callStart;
    std::vector<Column> m_columns;
    std::string m_line;
    bool m_holding = false; // a value of the table was held
};

// Appends to sink one call of the insert procedure IN_<table name> per record of the table file
// at path (1252 text, handed to table.setTableName unchanged), the record's values as arguments in
// field order, then an empty line. Numbers, dates and times follow settings. Closes table first
// and leaves it closed. Returns what happened (records, values written as NULL, damage). Throws
// what the table throws (EDatabaseError, EDBEngineError) and what sink throws (EOutOfResources):
// the lines appended before stay, the closing empty line is not written, and the table stays as
// the failure left it. An EAbort from progress stops the export the same way but closes the table.
// threads: as exportRecords takes them (0: the machine's cores); the lines are the same whatever
// their number.
ExportResult writeDataExport(TTable& table, const std::string& path,
                             const RegionalSettings& settings, LineSink& sink,
                             const ExportProgress& progress = {},
                             const DataExportProfile& profile = classicDataExportProfile(),
                             unsigned threads = 0);

} // namespace vorendal
