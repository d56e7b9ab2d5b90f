#include "scripts/linesink.h"

namespace vorendal {

LineSink::~LineSink() = default;

} // namespace vorendal
