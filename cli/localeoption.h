#pragma once

#include "cli/options.h"
#include "scripts/regionalsettings.h"

namespace vorendal::cli {

// The regional settings the data export formats values with: those of the locale named by
// --locale NAME ("pt_BR", "en-US", "de_DE.UTF-8", "C", "POSIX"), else those of the user's locale.
// Throws UsageError when the name is not a locale that Qt knows (an unknown language or
// territory), rather than quietly formatting with another one.
RegionalSettings regionalSettingsFor(const Options& options);

} // namespace vorendal::cli
