#pragma once

#include <optional>

#include "cli/options.h"

namespace vorendal::cli {

// The page of --codepage N (a number, "cp850", "utf-8", ...), or nullopt when the option is not
// given. Throws UsageError, listing the known pages, when the engine knows no such page.
std::optional<int> codePageOption(const Options& options);

} // namespace vorendal::cli
