#pragma once

#include "scripts/regionalsettings.h"

class QLocale;
class QString;

namespace vorendal {

// The regional settings of a locale, as the data export uses them: decimal point, short date
// pattern and its separator, the long time format's hour, clock, marker and separator, the day-half
// texts, month and day names. Texts become Windows-1252; a character 1252 lacks becomes '?'.
// A decimal, date or time separator that 1252 cannot write keeps its default (".", "/", ":"), so
// that the numbers, dates and times stay readable.
RegionalSettings regionalSettingsFromLocale(const QLocale& locale);

// The two format readers behind it, on a Qt date or time format ("dd/MM/yyyy", "h:mm:ss AP").
// The date format gives the short date pattern (pattern letters lower case, the date separator as
// "/", literal text quoted where it would read as a pattern letter) and the date separator.
void applyQtDateFormat(RegionalSettings& settings, const QString& qtFormat);
// The time format gives the hour's leading zero (HH, hh), the 12-hour clock (an AP, ap, A or a
// marker), the marker's place and the separator between hours and minutes; the day-half texts are
// taken in the case the marker asks for (AP, A: upper; ap, a: lower; else as given).
void applyQtTimeFormat(RegionalSettings& settings, const QString& qtFormat, const QString& amText,
                       const QString& pmText);

} // namespace vorendal
