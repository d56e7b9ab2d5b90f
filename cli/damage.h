#pragma once

#include "cli/options.h"
#include "source/ttable.h"

namespace vorendal::cli {

// After a table is read: one warning line on standard error per field of it whose values could
// not be read whole (damaged memos and blobs, read as null; text cut at a zero byte), naming the
// table's path, the count and the first record:
//   vorendal-cli: warning: <path>: 2 values of field OBS could not be read; the first at record 17.
// Returns the exit status it calls for: 1 when values were damaged, unless --ignore-damaged was
// given; else 0.
int reportDamage(const TTable& table, const Options& options);
// The same for the damage of the table file at path; utf8Names: its field names are UTF-8 (else
// 1252).
int reportDamage(const std::string& path, const DamageReport& damage, bool utf8Names,
                 const Options& options);

// Warns on standard error when the classic script of the table last run wrote characters as '?'
// for want of a Windows-1252 form: those of its values, and of its names when namesWritten.
void reportReplacedCharacters(const TTable& table, bool namesWritten);

// One warning line on standard error per field of the table that got a made-up name:
//   vorendal-cli: warning: <path>: field 2 has no name; it is called FIELD_2.
void reportMadeUpNames(const TTable& table);

} // namespace vorendal::cli
