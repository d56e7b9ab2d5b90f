#pragma once

#include <cstdio>
#include <string>

#include "source/ttable.h"

namespace vorendal::cli {

// Writes what Table1 reports of the table at path (the file system's bytes, as given on the
// command line) as tab-separated lines, UTF-8 but for the path, which is written as given:
//   table <path> <table name>
//   codepage <page> <why: option, cpg, header, detected, default>
//   protected yes                             only for a password-protected table
//   field <Name> <type> <Size> <0|1>          one per field definition
//   index <Fields> <options>                  one per index definition
//   check <Name> required|minimum <v>|maximum <v>|picture <p>|notnull
//   default <Name> <v>
//   lookup <Name> <table file> <current|all> <help 0|1>
//   autoinc <Name> <next value> <step>
//   reference <rule> <Fields> <parent table file> <parent field numbers> <cascade|restrict>
//   notdecoded <sentence>                     rules the table has that could not be read
//   record <value> <value> ...                one per record, one value per field
// The rule lines follow the index lines: per field in field order its checks, default, lookup
// and autoincrement counter, then the references, then what was not decoded. A rule value <v> is
// written as a record's value, or "today" / "now" for the moment the row is written (date, time
// and timestamp fields only). Texts read in UTF-8 (TTable::setTextDelivery) are written as they
// are. A null value is \N; text escapes backslash, tab, CR and LF as \\, \t, \r, \n. Throws what
// the table throws (EDatabaseError, EDBEngineError); lines written before the failure stay written.
// threads: the threads making the record lines, as exportRecords takes them (0: the cores); the
// lines are the same whatever their number.
void describeTable(TTable& table, const std::string& path, std::FILE* out, unsigned threads = 0);

// Warns on standard error about a code page file beside the table last opened that could not be
// used (unreadable, or naming no known page).
void reportCodePageWarning(const TTable& table);

// The text of one field's current value in the format above.
std::string valueText(const TField& field);
// The same for a value read in the given text delivery.
std::string valueText(const engine::Value& value, engine::TextDelivery delivery);

// Backslash, tab, CR and LF escaped; the 1252 text converted to UTF-8 (UTF-8 text kept).
std::string escapedText(const std::string& ansi,
                        engine::TextDelivery delivery = engine::TextDelivery::Ansi);
// Backslash, tab, CR and LF escaped; the other bytes kept as they are.
std::string escapedBytes(const std::string& bytes);

} // namespace vorendal::cli
