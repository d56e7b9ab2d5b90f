#include "source/engine/dbase/dbfproperties.h"

#include "source/engine/dbase/dbfbytes.h"

namespace vorendal::engine::dbf {
namespace {

constexpr std::size_t kBlockHeader = 16;
constexpr std::size_t kStandardEntry = 15;
constexpr std::uint8_t kPropertyRequired = 1;
constexpr std::uint8_t kPropertyDefault = 4;

} // namespace

void applyDbase7Properties(std::string_view header, std::size_t start,
                           std::vector<DbfField>& fields) {
    if (start > header.size() || header.size() - start < kBlockHeader)
        return;
    const char* block = header.data() + start;
    const std::size_t available = header.size() - start;
    // block bytes 0-1: number of standard properties; 2-3: where their array starts
    const std::size_t count = readU16LE(block);
    const std::size_t first = readU16LE(block + 2);
    if (first > available || count > (available - first) / kStandardEntry)
        return;
    std::vector<char> required(fields.size(), 0);
    std::vector<char> hasDefault(fields.size(), 0);
    for (std::size_t i = 0; i < count; ++i) {
        const char* entry = block + first + i * kStandardEntry;
        // entry bytes 2-3: field number from 1 (0 = a table constraint); byte 4: property
        const std::size_t fieldNo = readU16LE(entry + 2);
        const std::uint8_t property = byteAt(entry, 4);
        if (fieldNo == 0 || fieldNo > fields.size())
            continue;
        if (property == kPropertyRequired)
            required[fieldNo - 1] = 1;
        else if (property == kPropertyDefault)
            hasDefault[fieldNo - 1] = 1;
    }
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i].required = required[i] && !hasDefault[i] && fields[i].type != ftAutoInc;
}

} // namespace vorendal::engine::dbf
