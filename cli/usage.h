#pragma once

namespace vorendal::cli {

// The text of --help, and the tail of every usage error.
extern const char* const kUsage;

} // namespace vorendal::cli
