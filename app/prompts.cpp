#include "app/prompts.h"

namespace vorendal {

Prompts::~Prompts() = default;

} // namespace vorendal
