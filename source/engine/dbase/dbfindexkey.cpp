#include "source/engine/dbase/dbfindexkey.h"

#include "base/ansi.h"

namespace vorendal::engine::dbf {
namespace {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The field a part of a key expression names, or nullptr.
const DbfField* namedField(std::string_view part, const std::vector<DbfField>& fields,
                           std::string_view tableStem) {
    part = trimBlanks(part);
    const std::size_t arrow = part.find("->");
    if (arrow != std::string_view::npos) {
        if (ansiUpperCase(trimBlanks(part.substr(0, arrow))) != ansiUpperCase(tableStem))
            return nullptr;
        part = trimBlanks(part.substr(arrow + 2));
    }
    if (part.empty())
        return nullptr;
    const std::string wanted = ansiUpperCase(part);
    for (const auto& f : fields) {
        if (!f.hidden && ansiUpperCase(f.name) == wanted)
            return &f;
    }
    return nullptr;
}

} // namespace

IndexDescription describeIndexKey(std::string_view expression, const std::vector<DbfField>& fields,
                                  std::string_view tableStem, bool unique, bool descending) {
    IndexDescription index;
    if (unique)
        index.options.include(ixUnique);
    if (descending)
        index.options.include(ixDescending);
    std::vector<const DbfField*> keyFields;
    std::size_t start = 0;
    bool plain = !trimBlanks(expression).empty();
    while (plain) {
        const std::size_t plus = expression.find('+', start);
        const DbfField* f = namedField(expression.substr(start, plus - start), fields, tableStem);
        plain = f != nullptr;
        if (f)
            keyFields.push_back(f);
        if (plus == std::string_view::npos)
            break;
        start = plus + 1;
    }
    // "+" joins character fields into one key; between numbers or dates it computes a value.
    if (plain && keyFields.size() > 1) {
        for (const DbfField* f : keyFields)
            plain = plain && f->type == ftString;
    }
    if (!plain) {
        index.options.include(ixExpression);
        return index;
    }
    for (const DbfField* f : keyFields) {
        if (!index.fields.empty())
            index.fields += ';';
        index.fields += f->name;
    }
    return index;
}

} // namespace vorendal::engine::dbf
