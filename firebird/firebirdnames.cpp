#include "firebird/firebirdnames.h"

#include <algorithm>
#include <cstdint>

#include "base/ansi.h"
#include "source/engine/codepage.h"
#include "source/tablename.h"

namespace vorendal::firebird {
namespace {

char32_t upperCodePoint(char32_t c) {
    if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    // Latin Extended-A pairs: upper case first, lower case after it
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return (c & 1) != 0 ? c - 1 : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) == 0 ? c - 1 : c;
    if (c == 0x3C2) // final sigma
        return 0x3A3;
    if (c >= 0x3B1 && c <= 0x3C9)
        return c - 0x20;
    if (c == 0x3AC)
        return 0x386;
    if (c >= 0x3AD && c <= 0x3AF)
        return c - 0x25;
    if (c == 0x3CC)
        return 0x38C;
    if (c == 0x3CD || c == 0x3CE)
        return c - 0x3F;
    if (c >= 0x430 && c <= 0x44F)
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    return c;
}

std::size_t characterStart(std::string_view text, std::size_t at) {
    while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
        --at;
    return at;
}

} // namespace

std::string upperCaseUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t length = engine::utf8SequenceLength(utf8, i);
        if (length <= 1) {
            const char c = utf8[i];
            out += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
            ++i;
            continue;
        }
        appendUtf8(out, upperCodePoint(engine::utf8CodePoint(utf8.substr(i, length))));
        i += length;
    }
    return out;
}

std::string fitName(std::string_view name, std::string_view tag) {
    if (name.size() <= kMaxNameBytes)
        return std::string(name);
    const std::size_t keep = characterStart(name, kMaxNameBytes - tag.size());
    std::string fitted(name.substr(0, keep));
    fitted += tag;
    return fitted;
}

std::string hashTag(std::string_view name) {
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string tag = "_";
    for (int shift = 20; shift >= 0; shift -= 4)
        tag += kDigits[(hash >> shift) & 0xF];
    return tag;
}

void fitColumnNames(std::vector<std::string>& names) {
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = fitName(names[i], "_" + std::to_string(i + 1));
}

void parameterNames(std::vector<std::string>& names) {
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = fitName("c" + names[i], "_" + std::to_string(i + 1));
}

std::string tableName(std::string_view path) {
    const std::string name = ansiToUtf8(tableNameFromPath(path));
    return fitName(name, hashTag(name));
}

std::string procedureName(std::string_view tableName) {
    const std::string name = "IN_" + std::string(tableName);
    return fitName(name, hashTag(name));
}

std::string indexName(std::string_view tableName, int position) {
    return constraintName(tableName, "IX", position + 1);
}

std::string constraintName(std::string_view tableName, std::string_view kind, int number) {
    std::string suffix = "_";
    suffix += kind;
    suffix += std::to_string(number);
    const std::size_t room = kMaxNameBytes - suffix.size();
    std::string name(tableName.size() <= room
                         ? tableName
                         : tableName.substr(0, characterStart(tableName, room)));
    name += suffix;
    return name;
}

} // namespace vorendal::firebird
