#include "source/engine/engineerrors.h"

#include "base/exceptions.h"

namespace vorendal::engine {

void engineError(EngineErrorCode code, const std::string& text, const std::string& fileName) {
    throw EDBEngineError(code, text, {fileName.empty() ? std::string() : "File: " + fileName});
}

} // namespace vorendal::engine
