#include "source/engine/dbase/dbffieldtypes.h"

namespace vorendal::engine::dbf {
namespace {

constexpr std::uint8_t kVfpSystem = 0x01;
constexpr std::uint8_t kVfpNullable = 0x02;
constexpr std::uint8_t kVfpBinary = 0x04;
constexpr std::uint8_t kVfpAutoInc = 0x08;

void set(DbfField& f, TFieldType type, DbfDecode decode, int size = 0) {
    f.type = type;
    f.decode = decode;
    f.size = size;
}

void classifyNumber(DbfField& f) {
    if (f.decimals == 0 && f.width <= 9)
        set(f, ftInteger, DbfDecode::Integer);
    else if (f.decimals == 0 && f.width <= 18)
        set(f, ftLargeint, DbfDecode::Integer);
    else
        set(f, ftFloat, DbfDecode::Number);
}

} // namespace

void classifyField(DbfField& f, DbfDialect dialect) {
    const bool vfp = dialect == DbfDialect::VisualFoxPro;
    const bool fox = vfp || dialect == DbfDialect::FoxPro;
    const bool level7 = dialect == DbfDialect::DBase7;
    // Bytes 18-30 of a descriptor hold garbage in some non-VFP writers: trust the flags in VFP
    // only.
    const std::uint8_t flags = vfp ? f.vfpFlags : 0;
    const bool binary = (flags & kVfpBinary) != 0;
    const int width = static_cast<int>(f.width);
    set(f, ftUnknown, DbfDecode::Nothing);
    if (f.letter == '0') {
        f.hidden = true;
        return;
    }
    // A field of width 0 holds nothing to decode. A character field of width 0 is still laid
    // out (it takes no byte of the record), so it stays a text field, always empty, and every
    // other field keeps its place.
    if (f.width == 0 && f.letter != 'C' && f.letter != 'V')
        return;
    switch (f.letter) {
    case 'C':
    case 'V':
        set(f, ftString, binary ? DbfDecode::RawText : DbfDecode::Text, width);
        break;
    case 'N':
    case 'F':
        classifyNumber(f);
        break;
    case 'D':
        set(f, ftDate, DbfDecode::Date);
        break;
    case 'L':
        set(f, ftBoolean, DbfDecode::Logical);
        break;
    case 'M':
        if (binary)
            set(f, ftBlob, DbfDecode::MemoBytes, width);
        else
            set(f, ftMemo, DbfDecode::MemoText, width);
        break;
    case 'G':
        set(f, fox ? ftBlob : ftDBaseOle, DbfDecode::MemoBytes, width);
        break;
    case 'B':
        if (f.width == 8)
            set(f, ftFloat, DbfDecode::DoubleLE);
        else if (!vfp)
            set(f, ftBlob, DbfDecode::MemoBytes, width);
        break;
    case 'P':
        set(f, ftGraphic, DbfDecode::MemoBytes, width);
        break;
    case 'W':
        set(f, ftBlob, DbfDecode::MemoBytes, width);
        break;
    case 'Q':
        set(f, ftVarBytes, DbfDecode::VarBytes, width);
        break;
    case 'I':
        if (f.width == 4)
            set(f, (flags & kVfpAutoInc) ? ftAutoInc : ftInteger,
                level7 ? DbfDecode::Int32Sortable : DbfDecode::Int32LE);
        break;
    case '+':
        if (f.width == 4)
            set(f, ftAutoInc, level7 ? DbfDecode::Int32Sortable : DbfDecode::Int32LE);
        break;
    case 'O':
        if (f.width == 8)
            set(f, ftFloat, DbfDecode::DoubleSortable);
        break;
    case 'Y':
        if (f.width == 8)
            set(f, ftCurrency, DbfDecode::Currency);
        break;
    case 'T':
        if (f.width == 8)
            set(f, ftDateTime, DbfDecode::DateTimeVfp);
        break;
    case '@':
        if (f.width == 8)
            set(f, ftDateTime, DbfDecode::Timestamp7);
        break;
    default:
        break;
    }
    if (vfp && (flags & kVfpSystem) && f.type == ftUnknown)
        f.hidden = true;
}

void assignNullFlagBits(std::vector<DbfField>& fields, int nullFlagsField) {
    if (nullFlagsField < 0)
        return;
    const int available =
        static_cast<int>(fields[static_cast<std::size_t>(nullFlagsField)].width) * 8;
    int next = 0;
    for (auto& f : fields) {
        if (f.hidden)
            continue;
        if (f.letter == 'V' || f.letter == 'Q') {
            if (next < available)
                f.varLengthBit = next;
            ++next;
        }
        if (f.vfpFlags & kVfpNullable) {
            if (next < available)
                f.nullBit = next;
            ++next;
        }
    }
}

} // namespace vorendal::engine::dbf
