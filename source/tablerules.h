#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "source/engine/value.h"

namespace vorendal {

// A value a rule names: a constant, typed and decoded exactly as the field's own values are (so
// it can be written as a literal of the column's type), or the moment the row is written.
struct RuleValue {
    enum class Kind : std::uint8_t {
        Constant, // value holds it (Null when the table stored a blank)
        Today,    // the current date (date fields)
        Now       // the current time or timestamp (time and timestamp fields)
    };
    Kind kind = Kind::Constant;
    engine::Value value;
};

// A Paradox table lookup: the field's values are to be found in the first field of another
// table.
struct FieldLookup {
    std::string table;      // the lookup table's file name as the rule stores it ("dest.db")
    bool allFields = false; // fill "all corresponding fields" (else "just the current field")
    bool help = false;      // the user may browse the lookup table ("help and fill")
};

// An autoincrement field and the next value the table itself would give.
struct AutoIncrement {
    std::optional<std::int64_t> next; // nullopt when the table does not keep it
    std::int64_t step = 1;
};

// Every rule one field carries. Texts are in the table's text delivery (1252 or UTF-8), as its
// field names are.
struct FieldRules {
    bool required = false; // a value must be given (a default may still supply it)
    std::optional<RuleValue> defaultValue;
    std::optional<RuleValue> minimum; // values below are refused (inclusive bound)
    std::optional<RuleValue> maximum; // values above are refused (inclusive bound)
    std::string picture;              // an input mask ("###", "&&"); empty for none
    std::optional<FieldLookup> lookup;
    std::optional<AutoIncrement> autoIncrement;
    // Visual FoxPro: whether the field takes null at all; nullopt where the format does not say.
    std::optional<bool> nullable;
};

// A Paradox referential-integrity rule on the child side: the values of fields (in this table)
// must exist as the key of the parent table.
struct ReferenceRule {
    std::string name;                        // the rule's name as stored
    std::vector<std::size_t> fields;         // columns of this table, in key order
    std::string parentTable;                 // the parent table's file name as stored ("A.db")
    std::vector<std::uint16_t> parentFields; // field numbers in the parent table, from 1
    bool cascadeUpdate = false;              // a changed parent key follows into the children;
                                             // else the change is refused while children exist
};

// The rules a table carries besides its structure: field checks, defaults, lookups,
// autoincrement counters and referential integrity, as read from the table's own files.
struct TableRules {
    std::vector<FieldRules> fields; // one per column, in the order of the reader's fields()
    std::vector<ReferenceRule> references;
    // Rules the table has but that could not be read, one sentence each (a stale or damaged
    // validity file, an unknown layout, a property this reader does not decode).
    std::vector<std::string> notDecoded;
};

} // namespace vorendal
