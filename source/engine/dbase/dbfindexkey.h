#pragma once

#include <string_view>
#include <vector>

#include "source/engine/dbase/dbfheader.h"
#include "source/engine/tablereader.h"

namespace vorendal::engine::dbf {

// Describes an index from its key expression (1252 text) and options. An expression that is one
// field name, or names of character fields joined by "+", gives those names, spelled as in the
// field list, joined by ";". Anything else (functions, numeric sums, unknown names) is an
// expression index: empty field list and ixExpression. A name may carry the table's own alias
// ("CUSTOMER->NAME" in CUSTOMER.DBF). Names are compared without regard to case.
IndexDescription describeIndexKey(std::string_view expression, const std::vector<DbfField>& fields,
                                  std::string_view tableStem, bool unique, bool descending);

} // namespace vorendal::engine::dbf
