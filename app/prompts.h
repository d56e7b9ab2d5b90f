#pragma once

#include <optional>

#include <QString>

namespace vorendal {

// Settings of a file dialog.
struct FileDialogRequest {
    // Name filter in Qt's form, e.g. "Arquivo.sql (*.sql)".
    QString filter;
    // Show the filter's name only ("Arquivo.sql"), not its patterns.
    bool hideFilterDetails = true;
    // Added to a name typed without an extension, e.g. "sql"; empty: nothing is added.
    QString defaultSuffix;
    // The folder the dialog opens in, or a full file name it offers.
    QString initialPath;
    // Ask before an existing file is replaced.
    bool confirmOverwrite = false;
    // Open dialog: accept only the name of a file that exists.
    bool mustExist = true;
};

// Every dialog and message box of the window goes through this seam, so that tests can answer
// them. All calls are modal: they return when the user has answered.
class Prompts {
public:
    virtual ~Prompts();

    // The chosen file's full name, or nothing when the user cancels.
    virtual std::optional<QString> openFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFileName(const FileDialogRequest& request) = 0;
    // The error box: caption the application title, the stop icon and a single "OK".
    virtual void error(const QString& message) = 0;
    // A plain message with a single "OK", centred on the screen.
    virtual void message(const QString& text) = 0;
};

} // namespace vorendal
