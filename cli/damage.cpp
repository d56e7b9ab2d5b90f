#include "cli/damage.h"

#include <cstdio>

#include "base/ansi.h"

namespace vorendal::cli {

int reportDamage(const TTable& table, const Options& options) {
    const DamageReport& damage = table.damage();
    for (const FieldDamage& field : damage.fields()) {
        // the path as given (the file system's bytes), the sentence converted from 1252
        const std::string line = "vorendal-cli: warning: " + table.TableName() + ": " +
                                 ansiToUtf8(fieldDamageText(field)) + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
    return damage.empty() || options.ignoreDamaged ? 0 : 1;
}

} // namespace vorendal::cli
