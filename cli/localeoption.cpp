#include "cli/localeoption.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include "app/locale/localesettings.h"

namespace vorendal::cli {
namespace {

// The name without a POSIX code set or modifier: "de_DE.UTF-8@euro" -> "de_DE".
QString withoutCodeSet(const QString& name) {
    qsizetype end = name.size();
    for (const QChar mark : {QChar(u'.'), QChar(u'@')}) {
        const qsizetype at = name.indexOf(mark);
        if (at >= 0 && at < end)
            end = at;
    }
    return name.left(end);
}

bool isTerritoryCode(const QString& part) {
    if (part.size() == 2)
        return part[0].isLetter() && part[1].isLetter();
    return part.size() == 3 && part[0].isDigit() && part[1].isDigit() && part[2].isDigit();
}

QLocale namedLocale(const std::string& asked) {
    const QString name = QString::fromUtf8(asked.data(), static_cast<qsizetype>(asked.size()));
    const QString bare = withoutCodeSet(name.trimmed());
    if (bare.compare(u"C", Qt::CaseInsensitive) == 0 ||
        bare.compare(u"POSIX", Qt::CaseInsensitive) == 0)
        return QLocale::c();
    const QLocale locale(bare);
    // Qt answers a name it does not know with the C locale, and an unknown territory with the
    // language's main one; both would format with settings the user did not ask for.
    bool known = !bare.isEmpty() && locale.language() != QLocale::C;
    const QStringList parts = QString(bare).replace(u'-', u'_').split(u'_');
    if (known && parts.size() > 1 && isTerritoryCode(parts.back()))
        known = parts.back().compare(QLocale::territoryToCode(locale.territory()),
                                     Qt::CaseInsensitive) == 0;
    if (!known)
        throw UsageError("unknown locale \"" + asked +
                         "\" for --locale (examples: pt_BR, en_US, de_DE, C)");
    return locale;
}

} // namespace

RegionalSettings regionalSettingsFor(const Options& options) {
    if (!options.locale)
        return regionalSettingsFromLocale(QLocale::system());
    return regionalSettingsFromLocale(namedLocale(*options.locale));
}

} // namespace vorendal::cli
