#pragma once

#include "base/exceptions.h"

namespace vorendal::loader {

// A failure that Firebird reported (its own words, UTF-8), or one of the loader's (a table the
// database already has, rows that did not arrive).
class LoadError : public Exception {
public:
    using Exception::Exception;
};

} // namespace vorendal::loader
