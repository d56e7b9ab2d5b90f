#pragma once

#include <optional>
#include <string>

#include "firebird/firebirdtypes.h"
#include "source/tablerules.h"

namespace vorendal {

// How a value compares with a rule's bound of the same field: below 0, 0 or above 0 as
// Firebird would order them (numbers by value, text by its characters with trailing blanks
// ignored, dates and times in time order); nullopt for values of kinds that do not compare.
std::optional<int> compareValues(const engine::Value& a, const engine::Value& b);

// Appends what a rule names as an SQL operand of a column of type column: a literal of the
// column's type, or CURRENT_DATE, CURRENT_TIME, CURRENT_TIMESTAMP for "today" and "now". False,
// appending nothing, for a value the column cannot hold or compare with.
bool appendRuleOperand(std::string& out, const RuleValue& value,
                       const firebird::ColumnType& column);

// Whether a column of type column holds the value as it is (else the outputs write NULL).
bool holdsValue(const firebird::ColumnType& column, const engine::Value& value);

} // namespace vorendal
