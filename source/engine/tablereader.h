#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "source/engine/bytesource.h"
#include "source/engine/codepagechoice.h"
#include "source/engine/value.h"
#include "source/fieldtype.h"
#include "source/tablerules.h"

namespace vorendal::engine {

// A column as the reader reports it. name is Windows-1252 text, as stored (converted from the
// table's code page); duplicates are left to the table component to rename.
struct FieldDescription {
    std::string name;
    TFieldType type = ftUnknown;
    int size = 0; // ftString: characters; ftBCD: decimals; bytes and blobs: reported length
    bool required = false; // required and without a default value
};

// An index as the reader reports it: key field names in key order joined by ";" (empty for an
// expression index), and its options.
struct IndexDescription {
    std::string fields;
    TIndexOptions options;
};

// One open table: its structure and a forward cursor over its live records.
// Every method may throw EDBEngineError when the file turns out damaged.
class TableReader {
public:
    virtual ~TableReader() = default;

    virtual const std::vector<FieldDescription>& fields() const = 0;
    // Index definitions, primary first for Paradox, then in a stable order.
    virtual const std::vector<IndexDescription>& indexes() const = 0;

    // Moves to the first live record; false when the table has none.
    virtual bool first() = 0;
    // Moves to the next live record; false when there is none.
    virtual bool next() = 0;
    // Value of column i (index into fields()) of the current record. Only valid after first()
    // or next() returned true.
    virtual void value(std::size_t column, Value& out) = 0;
    // The code page the table's text is read under, and why.
    virtual CodePageChoice codePage() const { return {}; }
    // The number of records the table's header gives (deleted dBASE records included): what a
    // progress display counts towards, never a bound for reading; 0 when unknown.
    virtual std::uint64_t recordCount() const { return 0; }
    // Stored records (deleted ones included) when the reader can move straight to any of them,
    // so that copies of a table can share its reading out in stretches; 0 when it reads in table
    // order only. A memo shared by two records is found only among the records read since
    // first(), so a table with memos is best read whole.
    virtual std::uint64_t storedRecords() const { return 0; }
    // Where storedRecords() is not 0: moves to the first live record among stored records from
    // to end - 1 and keeps next() within them, reading nothing outside them; false when there is
    // none. What ends the table's reading (a file cut short) is raised as next() raises it when
    // end reaches the last stored record. first() reads the whole table again.
    virtual bool seekStored(std::uint64_t from, std::uint64_t end);
    // True for a password-protected table (read all the same, without its password).
    virtual bool passwordProtected() const { return false; }

    // Number of the current record for messages: for dBASE its record number (deleted records
    // counted, as dBASE numbers them), for Paradox its position in table order, from 1; 0 when
    // there is none.
    virtual std::uint64_t recordNumber() const { return 0; }
    // True when the last value() gave Null because that one value is damaged (a memo whose
    // pointer, block or length does not add up). The caller counts such values: they are never
    // to be taken for empty ones.
    bool valueDamaged() const { return m_valueDamaged; }
    // True when the last value() is text that stops at a zero byte of the field or memo while
    // more text follows that byte: the text after it is left out, as the value rule says, and the
    // caller counts such values like damaged ones so that the loss is told.
    bool valueCut() const { return m_valueCut; }
    // The rules the table carries (checks, defaults, lookups, autoincrement counters, referential
    // integrity), read when the table was opened; rules().fields is empty or has one entry per
    // column of fields(). Reading them never fails: what cannot be read is listed in notDecoded.
    virtual const TableRules& rules() const;
    // Characters of the text handed out so far that have no Windows-1252 form and were given as
    // '?': those of fields() and indexes() when the reader was made, then those of every value
    // read. Always 0 with TextDelivery::Utf8, which keeps every character.
    virtual std::uint64_t replacedCharacters() const { return 0; }

protected:
    // Set by value(); plain members rather than virtual calls, as they are asked after every value.
    bool m_valueDamaged = false;
    bool m_valueCut = false;

private:
    friend std::unique_ptr<TableReader> openTableReader(std::unique_ptr<TableFiles> files,
                                                        const ReadOptions& options);
    // The files the reader reads, when it keeps them (a member of the base: the reader's own
    // members, which read from them, go first)
    std::unique_ptr<TableFiles> m_files;
};

// Opens the table kept in files: ".dbf" (any case) is read as dBASE / FoxPro, ".txt" is refused
// (text tables are not read), every other extension is read as Paradox. Throws EDBEngineError.
std::unique_ptr<TableReader> openTableReader(const TableFiles& files,
                                             const ReadOptions& options = {});
// The same, the reader keeping the files for as long as it lives.
std::unique_ptr<TableReader> openTableReader(std::unique_ptr<TableFiles> files,
                                             const ReadOptions& options = {});

// The readers themselves, for tests and fuzzers.
std::unique_ptr<TableReader> openDbfTable(const TableFiles& files, const ReadOptions& options = {});
std::unique_ptr<TableReader> openParadoxTable(const TableFiles& files,
                                              const ReadOptions& options = {});

} // namespace vorendal::engine
