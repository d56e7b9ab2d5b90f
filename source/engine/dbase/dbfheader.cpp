#include "source/engine/dbase/dbfheader.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "source/engine/dbase/dbfbytes.h"
#include "source/engine/dbase/dbffieldtypes.h"
#include "source/engine/dbase/dbfproperties.h"
#include "source/engine/dbase/dbftextconverter.h"
#include "source/engine/engineerrors.h"

namespace vorendal::engine::dbf {
namespace {

constexpr std::size_t kHeader2Descriptors = 8; // dBASE II: first descriptor
constexpr std::size_t kHeader2Descriptor = 16; // dBASE II: descriptor size
constexpr std::size_t kHeader2MaxFields = 32;
constexpr std::uint32_t kHeader2Records = 521; // dBASE II: record 0, whatever the field count
constexpr std::size_t kDescriptors = 32;       // 32-byte layouts: first descriptor
constexpr std::size_t kDescriptor = 32;
constexpr std::size_t kDescriptors7 = 68; // dBASE 7: first descriptor
constexpr std::size_t kDescriptor7 = 48;
constexpr char kTerminator = 0x0D;

[[noreturn]] void fail(EngineErrorCode code, const std::string& text, const ByteSource& file) {
    engineError(code, text, file.name());
}

std::string readBytes(const ByteSource& file, std::uint64_t offset, std::size_t length) {
    std::string bytes(length, '\0');
    if (length > 0 && !file.read(offset, bytes.data(), length))
        fail(errIo, "Reading the table file failed.", file);
    return bytes;
}

DbfDialect dialectOf(std::uint8_t version, const ByteSource& file) {
    switch (version) {
    case 0x02:
        return DbfDialect::DBase2;
    case 0x30:
    case 0x31:
    case 0x32:
        return DbfDialect::VisualFoxPro;
    case 0xF5:
    case 0xFB:
        return DbfDialect::FoxPro;
    case 0x05: // listed as dBASE 5 without memo
    case 0x07: // Visual Objects
    case 0x87:
    case 0x8E: // dBASE IV with SQL table
    case 0xE5: // HiPer-SIx
        return DbfDialect::DBase3;
    default:
        break;
    }
    // Bits 0-2 are the dBASE level: 3 for III / IV / 5, 4 for level 7. The other bits flag memo
    // and SQL tables.
    if ((version & 0x07) == 3)
        return DbfDialect::DBase3;
    if ((version & 0x07) == 4)
        return DbfDialect::DBase7;
    char text[64];
    std::snprintf(text, sizeof text, "Unsupported dBASE version byte 0x%02X.", version);
    fail(errVersion, text, file);
}

// The bytes of a descriptor's name: up to its first zero byte, without trailing blanks.
void setFieldName(DbfField& f, std::string_view raw, const DbfTextConverter& text) {
    f.rawName = std::string(trimRightBlanks(cutAtZero(raw)));
    f.name = text.toAnsi(f.rawName);
}

int tableCodePage(std::string_view header, DbfDialect dialect) {
    if (dialect == DbfDialect::DBase2)
        return 0;
    // byte 29: language driver id
    int codePage = codePageFromLanguageDriver(static_cast<std::uint8_t>(header[29]));
    // dBASE 7: bytes 32-63 name the language driver, often with byte 29 left 0
    if (codePage == 0 && dialect == DbfDialect::DBase7)
        codePage = codePageFromDriverName(header.substr(32, 32));
    return codePage;
}

// Lays the fields out one after the other from byte 1 and checks the sum against the record
// length. Character widths above 255 are written by FoxPro and Clipper as width + 256 * decimals;
// that reading is used only when it, and not the plain one, adds up to the record length.
void layOutFields(std::vector<DbfField>& fields, std::uint32_t recordLength,
                  const ByteSource& file) {
    std::uint64_t plain = 1;
    std::uint64_t extended = 1;
    for (const auto& f : fields) {
        plain += f.width;
        extended += f.width + (f.letter == 'C' ? 256u * f.decimals : 0u);
    }
    const bool useExtended = plain != recordLength && extended == recordLength;
    if (!useExtended && plain != recordLength)
        fail(errCorrupt, "Record length in the header does not match the field descriptors.", file);
    std::uint32_t offset = 1;
    for (auto& f : fields) {
        if (useExtended && f.letter == 'C') {
            f.width += 256u * f.decimals;
            f.decimals = 0;
        }
        f.offset = offset;
        offset += f.width;
    }
}

// Reads the descriptors of the 32- and 48-byte layouts up to the 0x0D terminator, or up to the
// end of the header when a writer left the terminator out. Returns the offset after the last one.
std::size_t readDescriptors(std::string_view header, DbfDialect dialect,
                            const DbfTextConverter& text, std::vector<DbfField>& fields) {
    const bool level7 = dialect == DbfDialect::DBase7;
    const std::size_t size = level7 ? kDescriptor7 : kDescriptor;
    std::size_t pos = level7 ? kDescriptors7 : kDescriptors;
    while (pos < header.size() && header[pos] != kTerminator && header.size() - pos >= size) {
        const char* d = header.data() + pos;
        DbfField f;
        if (level7) {
            // name[32], type at 32, length at 33, decimals at 34
            setFieldName(f, std::string_view(d, 32), text);
            f.letter = d[32];
            f.width = byteAt(d, 33);
            f.decimals = byteAt(d, 34);
        } else {
            // name[11], type at 11, length at 16, decimals at 17, VFP flags at 18
            setFieldName(f, std::string_view(d, 11), text);
            f.letter = d[11];
            f.width = byteAt(d, 16);
            f.decimals = byteAt(d, 17);
            f.vfpFlags = byteAt(d, 18);
        }
        fields.push_back(std::move(f));
        pos += size;
    }
    return pos;
}

DbfHeader readDbase2Header(const ByteSource& file, DbfHeader h) {
    const std::size_t length =
        static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), kHeader2Records));
    if (length < kHeader2Descriptors + 1)
        fail(errNotTable, "Table file is too short to hold a dBASE header.", file);
    const std::string header = readBytes(file, 0, length);
    h.codePage = 0; // dBASE II names no code page
    const DbfTextConverter text(kDefaultDbfCodePage);
    // bytes 1-2: record count; bytes 6-7: record length
    const std::uint64_t declared = readU16LE(header.data() + 1);
    h.recordLength = readU16LE(header.data() + 6);
    h.headerLength = kHeader2Records;
    std::size_t pos = kHeader2Descriptors;
    while (pos < header.size() && header[pos] != kTerminator &&
           header.size() - pos >= kHeader2Descriptor && h.fields.size() < kHeader2MaxFields) {
        // name[11], type at 11, length at 12, decimals at 15
        const char* d = header.data() + pos;
        DbfField f;
        setFieldName(f, std::string_view(d, 11), text);
        f.letter = d[11];
        f.width = byteAt(d, 12);
        f.decimals = byteAt(d, 15);
        h.fields.push_back(std::move(f));
        pos += kHeader2Descriptor;
    }
    if (h.recordLength == 0)
        fail(errCorrupt, "Record length in the header is zero.", file);
    layOutFields(h.fields, h.recordLength, file);
    for (auto& f : h.fields)
        classifyField(f, h.dialect);
    const std::uint64_t room = file.size() > kHeader2Records ? file.size() - kHeader2Records : 0;
    h.declaredCount = declared;
    h.recordCount = std::min(declared, room / h.recordLength);
    return h;
}

DbfHeader readStandardHeader(const ByteSource& file, DbfHeader h) {
    const bool level7 = h.dialect == DbfDialect::DBase7;
    const std::size_t minimum = level7 ? kDescriptors7 : kDescriptors;
    if (file.size() < minimum)
        fail(errNotTable, "Table file is too short to hold a dBASE header.", file);
    const std::string fixed = readBytes(file, 0, minimum);
    // bytes 4-7: record count; 8-9: header length; 10-11: record length; 28: table flags
    const std::uint64_t declared = readU32LE(fixed.data() + 4);
    h.headerLength = readU16LE(fixed.data() + 8);
    h.recordLength = readU16LE(fixed.data() + 10);
    h.tableFlags = byteAt(fixed.data(), 28);
    // byte 15: dBASE IV encryption flag; FoxPro leaves the byte reserved
    if (!isFoxProDialect(h.dialect) && byteAt(fixed.data(), 15) == 1)
        fail(errEncrypted, "The table is encrypted.", file);
    if (h.headerLength < minimum)
        fail(errCorrupt, "Header length in the table header is too small.", file);
    if (h.headerLength > file.size())
        fail(errCorrupt, "The table header runs past the end of the file.", file);
    if (h.recordLength == 0)
        fail(errCorrupt, "Record length in the header is zero.", file);
    const std::string header = readBytes(file, 0, h.headerLength);
    h.codePage = tableCodePage(header, h.dialect);
    const DbfTextConverter text(h.codePage != 0 ? h.codePage : kDefaultDbfCodePage);
    const std::size_t end = readDescriptors(header, h.dialect, text, h.fields);
    layOutFields(h.fields, h.recordLength, file);
    for (auto& f : h.fields)
        classifyField(f, h.dialect);
    if (level7 && end < header.size() && header[end] == kTerminator)
        applyDbase7Properties(header, end + 1, h.fields);
    // A truncated file holds fewer records than the header counts: the whole ones are read, then
    // the reader reports the rest as missing.
    h.declaredCount = declared;
    h.recordCount = std::min(declared, (file.size() - h.headerLength) / h.recordLength);
    return h;
}

} // namespace

bool isFoxProDialect(DbfDialect dialect) {
    return dialect == DbfDialect::FoxPro || dialect == DbfDialect::VisualFoxPro;
}

DbfHeader readDbfHeader(const ByteSource& file) {
    std::uint8_t version = 0;
    if (file.size() < 1 || !file.read(0, &version, 1))
        fail(errNotTable, "Table file is too short to hold a dBASE header.", file);
    DbfHeader h;
    h.version = version;
    h.dialect = dialectOf(version, file);
    h = h.dialect == DbfDialect::DBase2 ? readDbase2Header(file, std::move(h))
                                        : readStandardHeader(file, std::move(h));
    for (std::size_t i = 0; i < h.fields.size(); ++i) {
        const auto& f = h.fields[i];
        if (h.dialect == DbfDialect::VisualFoxPro && f.letter == '0' && h.nullFlagsField < 0)
            h.nullFlagsField = static_cast<int>(i);
        if (f.decode == DbfDecode::MemoText || f.decode == DbfDecode::MemoBytes)
            h.hasMemoFields = true;
    }
    assignNullFlagBits(h.fields, h.nullFlagsField);
    return h;
}

} // namespace vorendal::engine::dbf
