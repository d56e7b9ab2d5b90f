// The referential-integrity section of a validity checks file (.VAL).
#include <string>

#include "source/engine/paradox/paradoxformat.h"
#include "source/engine/paradox/paradoxvalidity.h"

namespace vorendal::engine::paradox {
namespace {

// One child rule: +0x00 rule name, +0xD4 parent table file name, +0x19A update rule,
// +0x19E key field count, +0x1A0 child field numbers, +0x1C0 parent field numbers.
constexpr std::size_t kChildRule = 0x1E0;
constexpr std::size_t kRuleName = 0x40;
constexpr std::size_t kParentTable = 0xD4;
constexpr std::size_t kParentTableLength = 0x72;
constexpr std::size_t kUpdateRule = 0x19A;
constexpr std::size_t kKeyCount = 0x19E;
constexpr std::size_t kChildFields = 0x1A0;
constexpr std::size_t kParentFields = 0x1C0;
constexpr std::size_t kMaxKeyFields = (kParentFields - kChildFields) / 2;
constexpr std::uint32_t kCascade = 1;

std::string cText(std::string_view bytes, std::size_t at, std::size_t length,
                  const CodePage& text) {
    const std::string_view raw = bytes.substr(at, length);
    return text.toText(raw.substr(0, raw.find('\0')));
}

// The column of a field number from 1: the header's field-number array when it has one (it keeps
// numbers across deleted fields), else the position. -1 when none.
int columnOfFieldNumber(const ParadoxHeader& table, std::uint16_t number) {
    for (std::size_t c = 0; c < table.fields.size(); ++c)
        if (table.hasFieldNumbers ? table.fields[c].number == number : c + 1 == number)
            return static_cast<int>(c);
    return -1;
}

void fail(TableRules& rules, const std::string& what) {
    rules.notDecoded.push_back("The referential integrity rules of the validity checks file "
                               "(.VAL) are damaged (" +
                               what + "); they are not read.");
}

} // namespace

void readParadoxReferences(const ParadoxHeader& table, std::string_view bytes, std::size_t start,
                           std::size_t end, const CodePage& text, TableRules& rules) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    if (end > bytes.size() || start > end || end - start < 2)
        return fail(rules, "the section lies outside the file");
    // u16 child-rule count, the rules, then the parent flag (and the parent's block, if set)
    const std::size_t count = le16(b + start);
    if (count > (end - start - 2) / kChildRule)
        return fail(rules, "it counts more rules than it holds");
    std::vector<ReferenceRule> found;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = start + 2 + i * kChildRule;
        const unsigned char* rule = b + at;
        ReferenceRule ref;
        ref.name = cText(bytes, at, kRuleName, text);
        ref.parentTable = cText(bytes, at + kParentTable, kParentTableLength, text);
        // 1 = cascade, 0 = prohibit; the top byte is left out, as other readers of the format
        // do, and anything but 1 prohibits (the safer reading)
        ref.cascadeUpdate = (le32(rule + kUpdateRule) & 0xFFFFFFu) == kCascade;
        const std::size_t keys = le16(rule + kKeyCount);
        if (keys == 0 || keys > kMaxKeyFields)
            return fail(rules, "a rule has " + std::to_string(keys) + " key fields");
        for (std::size_t k = 0; k < keys; ++k) {
            const std::uint16_t child = le16(rule + kChildFields + 2 * k);
            const int column = columnOfFieldNumber(table, child);
            if (column < 0)
                return fail(rules, "a rule names field " + std::to_string(child) +
                                       ", which the table does not have");
            ref.fields.push_back(static_cast<std::size_t>(column));
            ref.parentFields.push_back(le16(rule + kParentFields + 2 * k));
        }
        found.push_back(std::move(ref));
    }
    for (auto& ref : found)
        rules.references.push_back(std::move(ref));
}

} // namespace vorendal::engine::paradox
