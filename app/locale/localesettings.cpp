#include "app/locale/localesettings.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include <QLocale>
#include <QString>

#include "base/ansi.h"

namespace vorendal {
namespace {

// One piece of a Qt date or time format.
struct FormatToken {
    enum class Kind { Literal, Field, Marker };
    Kind kind = Kind::Literal;
    QChar letter;      // Field: the format letter (d, M, y, h, H, m, s, ...)
    qsizetype run = 0; // Field: how many times it is repeated
    QString text;      // Literal: the text, quotes resolved; Marker: as written (AP, ap, A, a, ...)
};

// Splits a Qt format into fields (runs of one of fieldLetters), day-half markers (when wanted)
// and literal text. Text between single quotes is literal; two single quotes stand for one.
std::vector<FormatToken> tokenize(const QString& format, QStringView fieldLetters,
                                  bool withMarkers) {
    std::vector<FormatToken> tokens;
    auto literal = [&tokens]() -> QString& {
        if (tokens.empty() || tokens.back().kind != FormatToken::Kind::Literal)
            tokens.push_back(FormatToken{});
        return tokens.back().text;
    };
    const qsizetype n = format.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = format[i];
        if (c == u'\'') {
            if (i + 1 < n && format[i + 1] == u'\'') {
                literal() += c;
                i += 2;
                continue;
            }
            ++i;
            while (i < n) {
                if (format[i] == u'\'') {
                    if (i + 1 < n && format[i + 1] == u'\'') {
                        literal() += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal() += format[i++];
            }
            continue;
        }
        if (withMarkers && (c == u'A' || c == u'a')) {
            const qsizetype length =
                i + 1 < n && (format[i + 1] == u'P' || format[i + 1] == u'p') ? 2 : 1;
            tokens.push_back(FormatToken{FormatToken::Kind::Marker, c, 0, format.mid(i, length)});
            i += length;
            continue;
        }
        if (fieldLetters.contains(c)) {
            qsizetype run = 1;
            while (i + run < n && format[i + run] == c)
                ++run;
            tokens.push_back(FormatToken{FormatToken::Kind::Field, c, run, QString()});
            i += run;
            continue;
        }
        literal() += c;
        ++i;
    }
    return tokens;
}

// The invisible direction marks some locales put around their separators: they carry no text.
QString withoutDirectionMarks(QString text) {
    text.remove(QChar(0x200E));
    text.remove(QChar(0x200F));
    text.remove(QChar(0x061C));
    return text;
}

std::string ansiOf(const QString& text) {
    std::string ansi;
    for (const char32_t codePoint : text.toUcs4())
        ansi += static_cast<char>(unicodeToAnsi(codePoint));
    return ansi;
}

bool hasAnsiFormWhole(const QString& text) {
    for (const char32_t codePoint : text.toUcs4())
        if (!hasAnsiForm(codePoint))
            return false;
    return true;
}

// Literal text in the settings' pattern: characters that would read as pattern letters, as the
// separator or as a quote are quoted one by one.
void appendPatternLiteral(QString& pattern, QStringView text) {
    for (const QChar c : text) {
        const QChar lower = c.toLower();
        if (lower == u'd' || lower == u'm' || lower == u'y' || c == u'/' || c == u'\'') {
            pattern += u'"';
            pattern += c;
            pattern += u'"';
        } else if (c == u'"') {
            pattern += QStringLiteral("'\"'");
        } else {
            pattern += c;
        }
    }
}

// Qt's d, M and y runs as the settings' letters: the same runs for days and months (four at
// most), yy or yyyy for the year.
void appendPatternField(QString& pattern, const FormatToken& field) {
    const qsizetype run = field.run < 4 ? field.run : 4;
    if (field.letter == u'y') {
        pattern += run <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy");
        return;
    }
    pattern += QString(run, field.letter == u'd' ? u'd' : u'm');
}

bool isField(const std::vector<FormatToken>& tokens, std::size_t index) {
    return index < tokens.size() && tokens[index].kind == FormatToken::Kind::Field;
}

QString markerText(const QString& text, const QString& marker) {
    // AP or A: upper case; ap or a: lower case; a mixed spelling shows the text as it is.
    if (marker == u"AP" || marker == u"A")
        return text.toUpper();
    if (marker == u"ap" || marker == u"a")
        return text.toLower();
    return text;
}

} // namespace

void applyQtDateFormat(RegionalSettings& settings, const QString& qtFormat) {
    const std::vector<FormatToken> tokens =
        tokenize(withoutDirectionMarks(qtFormat), u"dMy", false);
    // The separator: the text between the first two fields, without the spaces around it; a
    // word there ("d 'de' MMMM") is text, not a separator.
    QString separator;
    for (std::size_t i = 1; i + 1 < tokens.size(); ++i) {
        if (isField(tokens, i - 1) && !isField(tokens, i) && isField(tokens, i + 1)) {
            separator = tokens[i].text.trimmed();
            break;
        }
    }
    if (std::any_of(separator.cbegin(), separator.cend(),
                    [](QChar c) { return c.isLetterOrNumber(); }))
        separator.clear();
    QString pattern;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const FormatToken& token = tokens[i];
        if (token.kind == FormatToken::Kind::Field) {
            appendPatternField(pattern, token);
            continue;
        }
        const qsizetype at = separator.isEmpty() ? -1 : token.text.indexOf(separator);
        const bool betweenFields = i > 0 && isField(tokens, i - 1) && isField(tokens, i + 1);
        if (betweenFields && at >= 0 && token.text.trimmed() == separator) {
            appendPatternLiteral(pattern, QStringView(token.text).left(at));
            pattern += u'/';
            appendPatternLiteral(pattern, QStringView(token.text).mid(at + separator.size()));
        } else {
            appendPatternLiteral(pattern, token.text);
        }
    }
    settings.shortDatePattern = ansiOf(pattern);
    settings.dateSeparator =
        !separator.isEmpty() && hasAnsiFormWhole(separator) ? ansiOf(separator) : "/";
}

void applyQtTimeFormat(RegionalSettings& settings, const QString& qtFormat, const QString& amText,
                       const QString& pmText) {
    const std::vector<FormatToken> tokens =
        tokenize(withoutDirectionMarks(qtFormat), u"hHmszt", true);
    std::size_t hourAt = tokens.size();
    std::size_t markerAt = tokens.size();
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const FormatToken& token = tokens[i];
        if (hourAt == tokens.size() && token.kind == FormatToken::Kind::Field &&
            (token.letter == u'h' || token.letter == u'H'))
            hourAt = i;
        if (markerAt == tokens.size() && token.kind == FormatToken::Kind::Marker)
            markerAt = i;
    }
    const bool twelveHour = markerAt < tokens.size();
    const QString marker = twelveHour ? tokens[markerAt].text : QStringLiteral("AP");
    settings.amText = ansiOf(markerText(amText, marker));
    settings.pmText = ansiOf(markerText(pmText, marker));
    if (hourAt == tokens.size())
        return; // no hour: nothing more can be read from it
    settings.hourLeadingZero = tokens[hourAt].run >= 2;
    settings.twentyFourHour = !twelveHour;
    settings.markerBeforeTime = twelveHour && markerAt < hourAt;
    // The separator is the text right after the hour, when it is followed by the minutes.
    QString separator;
    if (hourAt + 2 < tokens.size() && tokens[hourAt + 1].kind == FormatToken::Kind::Literal &&
        tokens[hourAt + 2].kind == FormatToken::Kind::Field && tokens[hourAt + 2].letter == u'm')
        separator = tokens[hourAt + 1].text;
    settings.timeSeparator =
        !separator.isEmpty() && hasAnsiFormWhole(separator) ? ansiOf(separator) : ":";
}

RegionalSettings regionalSettingsFromLocale(const QLocale& locale) {
    RegionalSettings settings;
    // The C locale is what a process gets when no regional settings are configured at all
    // (LANG unset); it then writes with the defaults of unreadable settings, not Qt's own
    // "d MMM yyyy".
    if (locale.language() == QLocale::C)
        return settings;
    const QString decimalPoint = locale.decimalPoint();
    if (!decimalPoint.isEmpty() && hasAnsiFormWhole(decimalPoint))
        settings.decimalSeparator = ansiOf(decimalPoint);
    applyQtDateFormat(settings, locale.dateFormat(QLocale::ShortFormat));
    applyQtTimeFormat(settings, locale.timeFormat(QLocale::LongFormat), locale.amText(),
                      locale.pmText());
    for (int month = 1; month <= 12; ++month) {
        const auto at = static_cast<std::size_t>(month - 1);
        settings.shortMonthNames[at] = ansiOf(locale.monthName(month, QLocale::ShortFormat));
        settings.longMonthNames[at] = ansiOf(locale.monthName(month, QLocale::LongFormat));
    }
    // Qt counts the days from Monday (1) to Sunday (7); the settings start on Sunday.
    for (int day = 0; day < 7; ++day) {
        const int qtDay = day == 0 ? 7 : day;
        settings.shortDayNames[static_cast<std::size_t>(day)] =
            ansiOf(locale.dayName(qtDay, QLocale::ShortFormat));
        settings.longDayNames[static_cast<std::size_t>(day)] =
            ansiOf(locale.dayName(qtDay, QLocale::LongFormat));
    }
    return settings;
}

} // namespace vorendal
