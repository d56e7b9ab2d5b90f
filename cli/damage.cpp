#include "cli/damage.h"

#include <cstdio>

#include "base/ansi.h"

namespace vorendal::cli {

int reportDamage(const std::string& path, const DamageReport& damage, bool utf8Names,
                 const Options& options) {
    for (const FieldDamage& field : damage.fields()) {
        // the path as given (the file system's bytes); the sentence's field name is 1252 text, or
        // already UTF-8 when the table delivers its text in UTF-8 (the rest is ASCII)
        const std::string sentence = fieldDamageText(field);
        const std::string line = "vorendal-cli: warning: " + path + ": " +
                                 (utf8Names ? sentence : ansiToUtf8(sentence)) + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
    return damage.empty() || options.ignoreDamaged ? 0 : 1;
}

int reportDamage(const TTable& table, const Options& options) {
    return reportDamage(table.TableName(), table.damage(),
                        table.textDelivery() == engine::TextDelivery::Utf8, options);
}

void reportReplacedCharacters(const TTable& table, bool namesWritten) {
    const ReplacedCharacters replaced = table.replacedCharacters();
    const std::uint64_t count = replaced.values + (namesWritten ? replaced.names : 0);
    if (count == 0)
        return;
    const std::string line = "vorendal-cli: warning: " + table.TableName() + ": " +
                             std::to_string(count) +
                             (count == 1 ? " character has" : " characters have") +
                             " no Windows-1252 form and became '?'; --firebird keeps every "
                             "character\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

void reportMadeUpNames(const TTable& table) {
    for (const TTable::MadeUpName& made : table.madeUpNames()) {
        // the path as given; the made-up name is ASCII
        const std::string line = "vorendal-cli: warning: " + table.TableName() + ": field " +
                                 std::to_string(made.fieldNo) + " has no name; it is called " +
                                 made.name + ".\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
}

} // namespace vorendal::cli
