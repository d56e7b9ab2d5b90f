#pragma once

#include <string_view>
#include <vector>

#include "source/engine/bytesource.h"
#include "source/engine/codepage.h"
#include "source/engine/paradox/paradoxheader.h"
#include "source/tablerules.h"

namespace vorendal::engine::paradox {

// What the validity checks file (.VAL) of a table says.
struct ParadoxValidity {
    // Per column of the table: required, default, minimum, maximum, picture and table lookup;
    // the child side of the referential-integrity rules. fields is empty when no check was read.
    TableRules rules;
    // Per column: a value is required and no default supplies it. Empty when no check was read.
    std::vector<bool> required;
};

// Reads val, the validity checks file of table, in either layout: the one of Paradox 3.x
// tables (check records only) and the one of 4.x and later (check records, referential
// integrity, and a footer listing the fields the checks were saved for). Default, minimum and
// maximum are decoded as the column's own values; a blank one of a date, time or timestamp
// column stands for "today" / "now". Texts (pictures, table names) are converted by text.
//
// A file saved for an older state of the table (byte 0 differs from the table's change counter
// at 0x2E), of a layout this reader does not know, or whose checks do not add up to its size
// gives no checks at all and one sentence in rules.notDecoded. A damaged referential-integrity
// section loses only the references; a check of a field the table no longer has, or a value
// that cannot be decoded, only that check. Never throws for the file's content.
ParadoxValidity readParadoxValidity(const ParadoxHeader& table, const ByteSource& val,
                                    const CodePage& text);

// Reads the referential-integrity section of a new-layout .VAL held in bytes: from start, where
// its child-rule count lies, up to end (the footer). Appends the rules in which this table is
// the child to rules.references, or one sentence to rules.notDecoded when the section does not
// add up or names fields the table lacks. Rules where this table is the parent are skipped: the
// child's own file carries each of them.
void readParadoxReferences(const ParadoxHeader& table, std::string_view bytes, std::size_t start,
                           std::size_t end, const CodePage& text, TableRules& rules);

} // namespace vorendal::engine::paradox
