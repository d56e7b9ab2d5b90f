#include "cli/codepageoption.h"

#include "source/engine/codepagechoice.h"

namespace vorendal::cli {

std::optional<int> codePageOption(const Options& options) {
    if (!options.codepage)
        return std::nullopt;
    if (const auto page = engine::codePageFromName(*options.codepage))
        return page;
    std::string known;
    for (int number : engine::knownCodePages())
        known += (known.empty() ? "" : ", ") + engine::codePageName(number);
    throw UsageError("unknown code page " + *options.codepage + " (known: " + known + ")");
}

} // namespace vorendal::cli
