#include "source/engine/paradox/paradoxindexes.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "base/ansi.h"
#include "base/exceptions.h"
#include "source/engine/paradox/paradoxformat.h"

namespace vorendal::engine::paradox {
namespace {

// Byte 0x55 of an index data file.
constexpr std::uint8_t kFlagCaseInsensitive = 0x01;
constexpr std::uint8_t kFlagDescending = 0x10;
constexpr std::uint8_t kFlagUnique = 0x20;
// Bit 15 of an entry of the field-number array marks a descending field.
constexpr std::uint16_t kNumberDescending = 0x8000;

bool isHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}
bool isAlnum(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

bool sameName(const std::string& a, const std::string& b) {
    return ansiUpperCase(a) == ansiUpperCase(b);
}

bool sameType(const HeaderField& a, const HeaderField& b) {
    return a.code == b.code && a.sizeByte == b.sizeByte;
}

// Number of leading fields of the index file that are the indexed table fields. They are
// followed by the table's key fields and a block number (maintained index of a keyed table), or
// by the system fields "Tup No", "Blk Num", "Tup Offset" (index of an unkeyed table).
int indexedFieldCount(const ParadoxHeader& table, const ParadoxHeader& index) {
    const auto& f = index.fields;
    const std::size_t n = f.size();
    if (n >= 4 && sameName(f[n - 3].rawName, "Tup No") && sameName(f[n - 2].rawName, "Blk Num") &&
        sameName(f[n - 1].rawName, "Tup Offset"))
        return static_cast<int>(n) - 3;
    if (table.fileType == kKeyedTable)
        return static_cast<int>(index.keyFieldCount) - static_cast<int>(table.keyFieldCount);
    return index.keyFieldCount;
}

// The table column that index field i copies: by its name (index fields carry the names of the
// table fields), else by the field-number array or byte 0x15; the type must agree. -1 if none.
int columnOf(const ParadoxHeader& table, const ParadoxHeader& index, std::size_t i) {
    const HeaderField& field = index.fields[i];
    const auto& columns = table.fields;
    for (std::size_t c = 0; c < columns.size(); ++c)
        if (sameName(columns[c].rawName, field.rawName) && sameType(columns[c], field))
            return static_cast<int>(c);
    int number = 0;
    if (index.hasFieldNumbers)
        number = field.number & 0x7FFF;
    else if (i == 0)
        number = index.indexFieldNumber; // 0x15: first indexed field
    for (std::size_t c = 0; c < columns.size() && index.hasFieldNumbers; ++c)
        if (columns[c].number == number && sameType(columns[c], field))
            return static_cast<int>(c);
    if (number >= 1 && static_cast<std::size_t>(number) <= columns.size() &&
        sameType(columns[static_cast<std::size_t>(number) - 1], field))
        return number - 1;
    return -1;
}

std::optional<IndexDescription> describe(const ParadoxHeader& table,
                                         const std::vector<std::string>& columnNames,
                                         const ParadoxHeader& index) {
    const int count = indexedFieldCount(table, index);
    if (count < 1 || static_cast<std::size_t>(count) > index.fields.size())
        return std::nullopt;
    IndexDescription d;
    bool descendingField = false;
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        const int column = columnOf(table, index, i);
        if (column < 0)
            return std::nullopt;
        if (i > 0)
            d.fields += ';';
        d.fields += columnNames[static_cast<std::size_t>(column)];
        if (index.hasFieldNumbers && (index.fields[i].number & kNumberDescending))
            descendingField = true;
    }
    if (index.indexFlags & kFlagCaseInsensitive)
        d.options.include(ixCaseInsensitive);
    if ((index.indexFlags & kFlagDescending) || descendingField)
        d.options.include(ixDescending);
    if (index.indexFlags & kFlagUnique)
        d.options.include(ixUnique);
    if (index.fileType == kIndexNonMaintained || index.fileType == kCompositeNonMaintained)
        d.options.include(ixNonMaintained);
    return d;
}

} // namespace

bool isSecondaryIndexExtension(const std::string& extension) {
    const std::string e = ansiUpperCase(extension);
    if (e.size() == 3 && e[0] == 'X' && isHex(e[1]) && isHex(e[2]))
        return true;
    return e.size() >= 3 && e.size() <= 4 && e[0] == 'X' && e[1] == 'G' && isAlnum(e[2]) &&
           (e.size() == 3 || isAlnum(e[3]));
}

std::vector<IndexDescription> readParadoxIndexes(const ParadoxHeader& table,
                                                 const std::vector<std::string>& columnNames,
                                                 const TableFiles& files) {
    std::vector<IndexDescription> result;
    if (table.fileType == kKeyedTable && table.keyFieldCount > 0) {
        IndexDescription primary;
        for (std::size_t i = 0; i < table.keyFieldCount; ++i)
            primary.fields += (i > 0 ? ";" : "") + columnNames[i];
        primary.options = {ixPrimary, ixUnique};
        result.push_back(std::move(primary));
    }

    std::vector<std::string> extensions;
    for (const auto& ext : files.companionExtensions())
        if (isSecondaryIndexExtension(ext))
            extensions.push_back(ansiUpperCase(ext));
    std::sort(extensions.begin(), extensions.end());
    extensions.erase(std::unique(extensions.begin(), extensions.end()), extensions.end());

    for (const auto& ext : extensions) {
        // An index file that cannot be read is left out; the table itself stays readable.
        try {
            const auto file = files.companion(ext);
            if (!file)
                continue;
            const ParadoxHeader index = readParadoxHeader(*file, HeaderKind::SecondaryIndex);
            if (auto d = describe(table, columnNames, index))
                result.push_back(std::move(*d));
        } catch (const Exception&) {
        }
    }
    return result;
}

} // namespace vorendal::engine::paradox
