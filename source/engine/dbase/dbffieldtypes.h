#pragma once

#include <vector>

#include "source/engine/dbase/dbfheader.h"

namespace vorendal::engine::dbf {

// Decides type, size, decoding and visibility of a field from its letter, width, decimals and (in
// Visual FoxPro) its flags. The mapping:
//
//   C, V            ftString, size = width (ftUnknown when the width is 0); VFP binary C/V keep
//                   their bytes as stored
//   N, F            no decimals: width <= 9 ftInteger, <= 18 ftLargeint, wider ftFloat;
//                   with decimals ftFloat
//   D ftDate        L ftBoolean       Y ftCurrency      T, @ ftDateTime     O ftFloat
//   M               ftMemo; VFP binary memo ftBlob
//   G               dBASE: ftDBaseOle; FoxPro / VFP (an OLE object, not a picture): ftBlob
//   B               width 8 (VFP): double, ftFloat; dBASE (width 10): binary memo, ftBlob
//   P ftGraphic     W ftBlob          Q ftVarBytes
//   I               ftInteger; VFP with the autoincrement flag: ftAutoInc
//   +               ftAutoInc
//   0 (_NullFlags)  not reported
//   anything else   ftUnknown (no value)
//
// Size: ftString the width; memo, blob and bytes types the descriptor width; 0 otherwise. A field
// of width 0 holds nothing and is ftUnknown whatever its letter.
void classifyField(DbfField& field, DbfDialect dialect);

// Visual FoxPro: hands out the _NullFlags bits. Walking the fields in order, every V and Q field
// gets a length bit, then every nullable field a null bit. Bits beyond the _NullFlags width are
// not given out.
void assignNullFlagBits(std::vector<DbfField>& fields, int nullFlagsField);

} // namespace vorendal::engine::dbf
