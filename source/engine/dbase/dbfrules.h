#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "source/engine/dbase/dbfheader.h"
#include "source/engine/dbase/dbftextconverter.h"
#include "source/tablerules.h"

namespace vorendal::engine::dbf {

// The rules a dBASE / FoxPro table keeps in its own header:
//   dBASE 7        field properties (required, minimum, maximum, default, decoded as the field's
//                  own values) and the next value of each autoincrement field (descriptor
//                  bytes 42-45)
//   Visual FoxPro  whether each field takes null (flag 0x02) and the next value and step of
//                  each autoincrement field (descriptor bytes 19-22 and 23)
// header: the whole table header as h was read from; columns: for each reported column, its
// index in h.fields; text: the converter of the table's text. Referential-integrity entries and
// table constraints of dBASE 7 are listed in notDecoded, as is every property that does not add
// up. Never throws.
TableRules readDbfRules(const DbfHeader& h, std::string_view header,
                        const std::vector<std::size_t>& columns, const DbfTextConverter& text);

} // namespace vorendal::engine::dbf
