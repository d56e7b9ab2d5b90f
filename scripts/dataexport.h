#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "scripts/regionalsettings.h"
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
};

// The classic output, as the InterBase / Firebird interactive SQL tool takes it.
const DataExportProfile& classicDataExportProfile();

// Firebird 3 and later, dialect 3, UTF-8 text (the table read with UTF-8 delivery).
const DataExportProfile& firebirdDataExportProfile();

// Told of a value written as NULL because the output cannot hold it: the table's name, the
// record number (1 = first live record) and the field's name.
using ExportWarning =
    std::function<void(std::string_view table, std::uint64_t record, std::string_view field)>;

// Called during an export with the number of records written so far, every
// kExportProgressInterval records. May throw EAbort to stop the export.
using ExportProgress = std::function<void(std::uint64_t records)>;
inline constexpr std::uint64_t kExportProgressInterval = 1024;

// Appends to sink one call of the insert procedure IN_<table name> per record of the table file
// at path (1252 text, handed to table.setTableName unchanged), the record's values as arguments in
// field order, then an empty line. Numbers, dates and times follow settings. Closes table first
// and leaves it closed. Throws what the table throws (EDatabaseError, EDBEngineError) and what
// sink throws (EOutOfResources): the lines appended before stay, the closing empty line is not
// written, and the table stays as the failure left it. An EAbort from progress stops the export
// the same way but closes the table.
void writeDataExport(TTable& table, const std::string& path, const RegionalSettings& settings,
                     LineSink& sink, const ExportProgress& progress = {},
                     const DataExportProfile& profile = classicDataExportProfile(),
                     const ExportWarning& warning = {});

} // namespace vorendal
