#include "source/engine/paradox/paradoxvalidity.h"

#include <optional>
#include <string>

#include "base/ansi.h"
#include "source/engine/paradox/paradoxformat.h"

namespace vorendal::engine::paradox {
namespace {

constexpr std::uint64_t kMaxValSize = 1u << 20; // far above any real checks file
constexpr std::size_t kFirstRecord = 0x35;
constexpr std::size_t kRecordFixed = 0x1C;
constexpr std::size_t kLookupBlock = 0x50;
constexpr unsigned char kOldLayout = 0x01;
constexpr unsigned char kFirstNewLayout = 0x09;

struct FieldRef {
    std::uint8_t code = 0;
    std::uint8_t sizeByte = 0;
    int column = -1; // table column, -1 when it cannot be matched
};

// The footer of the new layout: field count, key count, name-area length, field numbers, type
// and size pairs, the table path and the field names, which end the file.
std::optional<std::vector<FieldRef>> readFooter(const ParadoxHeader& table,
                                                const std::string& bytes, std::size_t footer) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    if (footer + 6 > bytes.size())
        return std::nullopt;
    const std::size_t n = le16(b + footer);
    if (footer + 6 + 4 * n > bytes.size())
        return std::nullopt;
    std::vector<FieldRef> refs(n);
    std::vector<std::uint16_t> numbers(n);
    for (std::size_t j = 0; j < n; ++j) {
        numbers[j] = le16(b + footer + 6 + 2 * j);
        refs[j].code = b[footer + 6 + 2 * n + 2 * j];
        refs[j].sizeByte = b[footer + 6 + 2 * n + 2 * j + 1];
    }
    // The names are the last n zero-terminated strings of the file.
    std::vector<std::string> names(n);
    std::size_t end = bytes.size();
    if (end > 0 && bytes[end - 1] == '\0')
        --end;
    const std::size_t nameArea = footer + 6 + 4 * n;
    for (std::size_t j = n; j-- > 0 && end > nameArea;) {
        std::size_t start = bytes.rfind('\0', end - 1);
        start = (start == std::string::npos || start < nameArea) ? nameArea : start + 1;
        names[j] = bytes.substr(start, end - start);
        end = start > nameArea ? start - 1 : nameArea;
    }

    const auto& fields = table.fields;
    auto sameType = [&](std::size_t c, const FieldRef& r) {
        return fields[c].code == r.code && fields[c].sizeByte == r.sizeByte;
    };
    bool positional = n == fields.size();
    for (std::size_t j = 0; j < n && positional; ++j)
        positional = sameType(j, refs[j]);
    for (std::size_t j = 0; j < n; ++j) {
        // prefer the field number, then the position, then the name
        for (std::size_t c = 0; c < fields.size() && refs[j].column < 0; ++c)
            if (table.hasFieldNumbers && fields[c].number == numbers[j] && sameType(c, refs[j]))
                refs[j].column = static_cast<int>(c);
        if (refs[j].column < 0 && positional)
            refs[j].column = static_cast<int>(j);
        for (std::size_t c = 0; c < fields.size() && refs[j].column < 0; ++c)
            if (!names[j].empty() && ansiUpperCase(fields[c].rawName) == ansiUpperCase(names[j]) &&
                sameType(c, refs[j]))
                refs[j].column = static_cast<int>(c);
    }
    return refs;
}

} // namespace

std::vector<bool> readParadoxRequiredFlags(const ParadoxHeader& table, const ByteSource& val) {
    const std::uint64_t size = val.size();
    if (size < kFirstRecord || size > kMaxValSize)
        return {};
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!val.read(0, bytes.data(), bytes.size()))
        return {};
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    // byte 0 mirrors the table's change counter when the checks were saved
    if (b[0] != table.changeCount)
        return {};

    std::vector<FieldRef> refs;
    std::size_t limit = bytes.size();
    if (b[1] == kOldLayout) {
        // old layout: check records name table columns directly
        for (std::size_t c = 0; c < table.fields.size(); ++c)
            refs.push_back({table.fields[c].code, table.fields[c].sizeByte, static_cast<int>(c)});
    } else if (b[1] >= kFirstNewLayout) {
        const std::size_t footer = le32(b + 0x09);    // 0x09: footer offset
        const std::size_t integrity = le32(b + 0x0D); // 0x0D: RI section, 0 = none
        auto footerRefs = readFooter(table, bytes, footer);
        if (!footerRefs)
            return {};
        refs = std::move(*footerRefs);
        limit = integrity != 0 ? integrity : footer;
        if (limit > bytes.size())
            return {};
    } else {
        return {};
    }

    std::vector<bool> required(table.fields.size(), false);
    std::size_t pos = kFirstRecord;
    const unsigned count = b[2]; // byte 2: number of check records
    for (unsigned r = 0; r < count; ++r) {
        if (pos + kRecordFixed > limit)
            return {};
        const unsigned char* rec = b + pos;
        if (rec[0] >= refs.size())
            return {};
        const FieldRef& ref = refs[rec[0]];
        const bool isRequired = rec[2] == 1;
        const bool lookup = le32(rec + 0x04) != 0;
        const int values = (le32(rec + 0x0C) != 0) + (le32(rec + 0x10) != 0) +
                           (le32(rec + 0x14) != 0); // minimum, maximum, default
        const bool hasDefault = le32(rec + 0x14) != 0;
        const bool picture = rec[1] != 0 && le32(rec + 0x18) != 0;
        pos += kRecordFixed + (lookup ? kLookupBlock : 0) +
               static_cast<std::size_t>(values) * storedWidth(ref.code, ref.sizeByte) +
               (picture ? rec[1] : 0);
        if (pos > limit)
            return {};
        if (ref.column >= 0)
            required[static_cast<std::size_t>(ref.column)] = isRequired && !hasDefault;
    }
    return required;
}

} // namespace vorendal::engine::paradox
