#pragma once

#include "app/prompts.h"

namespace vorendal {

// The real dialogs: Qt's file dialogs and message boxes, parented to the active window.
class QtPrompts : public Prompts {
public:
    // title: the caption of the message boxes (the application title).
    explicit QtPrompts(QString title);

    std::optional<QString> openFileName(const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(const FileDialogRequest& request) override;
    void error(const QString& message) override;
    void message(const QString& text) override;

private:
    QString m_title;
};

} // namespace vorendal
