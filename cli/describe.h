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
//   record <value> <value> ...                one per record, one value per field
// Texts read in UTF-8 (TTable::setTextDelivery) are written as they are. A null value is \N; text
// escapes backslash, tab, CR and LF as \\, \t, \r, \n. Throws what the table throws
// (EDatabaseError, EDBEngineError); lines written before the failure stay written.
void describeTable(TTable& table, const std::string& path, std::FILE* out);

// Warns on standard error about a code page file beside the table last opened that could not be
// used (unreadable, or naming no known page).
void reportCodePageWarning(const TTable& table);

// The text of one field's current value in the format above.
std::string valueText(const TField& field);

// Backslash, tab, CR and LF escaped; the 1252 text converted to UTF-8 (UTF-8 text kept).
std::string escapedText(const std::string& ansi,
                        engine::TextDelivery delivery = engine::TextDelivery::Ansi);
// Backslash, tab, CR and LF escaped; the other bytes kept as they are.
std::string escapedBytes(const std::string& bytes);

} // namespace vorendal::cli
