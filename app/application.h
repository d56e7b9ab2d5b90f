#pragma once

#include <QApplication>
#include <QString>

namespace vorendal {

class Prompts;

// The application object: its title comes from the program file's name, hints follow the
// window's timing, and notify() is the backstop that shows any error that left an event handler
// without passing through guarded().
class Application : public QApplication {
public:
    Application(int& argc, char** argv);

    // The title rule: the file name without its folder, cut at its first "."; every character
    // after the first is lower-cased, the first stays as it is.
    static QString titleFromProgramName(const QString& programFile);

    // The application title: caption of the error boxes and of the task-bar entry.
    QString title() const { return m_title; }

    // Where the backstop shows errors; nullptr: they are dropped.
    void setErrorPrompts(Prompts* prompts) { m_prompts = prompts; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    // Loads Qt's translation for the user's locale, when the system has it (on Debian:
    // qt6-translations-l10n).
    void installQtTranslations();

    QString m_title;
    Prompts* m_prompts = nullptr;
};

} // namespace vorendal
