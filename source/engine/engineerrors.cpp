#include "source/engine/engineerrors.h"

#include "base/exceptions.h"

namespace vorendal::engine {

void engineError(EngineErrorCode code, const std::string& text, const std::string& fileName) {
    throw EDBEngineError(code, text, {fileName.empty() ? std::string() : "File: " + fileName});
}

void valueTooLarge(const std::string& field, std::uint64_t record, const std::string& fileName) {
    engineError(errMemo,
                "The value of field " + field + " in record " + std::to_string(record) +
                    " is larger than " + std::to_string(kMaxValueBytes >> 20) + " MiB.",
                fileName);
}

} // namespace vorendal::engine
