#pragma once

#include <deque>
#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "app/prompts.h"

namespace vorendal {

// Prompts for tests: file dialogs answer from a queue (an empty queue answers as a cancel) and
// every request, error and message is recorded.
class FakePrompts : public Prompts {
public:
    std::optional<QString> openFileName(const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(const FileDialogRequest& request) override;
    void error(const QString& message) override { errors.append(message); }
    void message(const QString& text) override { messages.append(text); }

    std::deque<std::optional<QString>> fileAnswers;
    QList<FileDialogRequest> openRequests;
    QList<FileDialogRequest> saveRequests;
    QStringList errors;
    QStringList messages;

private:
    std::optional<QString> nextAnswer();
};

} // namespace vorendal
