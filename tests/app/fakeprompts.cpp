#include "fakeprompts.h"

namespace vorendal {

std::optional<QString> FakePrompts::nextAnswer() {
    if (fileAnswers.empty())
        return std::nullopt;
    const bool given = fileAnswers.front().has_value();
    const QString path = given ? *fileAnswers.front() : QString();
    fileAnswers.pop_front();
    if (!given)
        return std::nullopt;
    return path;
}

std::optional<QString> FakePrompts::openFileName(const FileDialogRequest& request) {
    openRequests.append(request);
    return nextAnswer();
}

std::optional<QString> FakePrompts::saveFileName(const FileDialogRequest& request) {
    saveRequests.append(request);
    return nextAnswer();
}

} // namespace vorendal
