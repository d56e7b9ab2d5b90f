#include "app/application.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QProxyStyle>
#include <QTranslator>

#include "app/errordisplay.h"
#include "app/glyphs.h"

namespace vorendal {
namespace {

// A hint comes up after the pointer has rested 500 ms on a control.
constexpr int kHintPause = 500;

class HintTimingStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_ToolTip_WakeUpDelay)
            return kHintPause;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QString programFile(int argc, char** argv) {
    QString file = QCoreApplication::applicationFilePath();
    if (file.isEmpty() && argc > 0 && argv[0] != nullptr)
        file = QFile::decodeName(argv[0]);
    return file;
}

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    m_title = titleFromProgramName(programFile(argc, argv));
    // The name, not the display name: a display name would be appended to every window caption.
    setApplicationName(m_title);
    setDesktopFileName(QStringLiteral("vorendal"));
    setWindowIcon(Glyphs::applicationIcon());
    setStyle(new HintTimingStyle);
    installQtTranslations();
}

void Application::installQtTranslations() {
    // Qt's own texts (the file dialogs, the buttons of message boxes, the editing menus of text
    // boxes) in the user's language; the program's own texts are not translated
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QLocale locale = QLocale::system();
    auto* translator = new QTranslator(this);
    // Qt ships Portuguese for Brazil only; it serves every Portuguese locale better than English
    if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder) ||
        (locale.language() == QLocale::Portuguese &&
         translator->load(QStringLiteral("qtbase_pt_BR"), folder)))
        installTranslator(translator);
    else
        delete translator;
}

QString Application::titleFromProgramName(const QString& programFile) {
    QString name = QFileInfo(programFile).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (m_prompts != nullptr)
            showError(*m_prompts, std::current_exception());
        return false;
    }
}

} // namespace vorendal
