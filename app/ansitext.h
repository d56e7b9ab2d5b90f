#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <QString>
#include <QStringView>

namespace vorendal {

// The one crossing between the core's Windows-1252 text and the window's QString.

// 1252 bytes to QString; every byte has a form (see base/ansi.h for the five undefined ones).
QString toQString(std::string_view ansi);

// QString to 1252 bytes; a character with no 1252 form (a surrogate pair included) becomes '?'.
std::string toAnsi(QStringView text);
// The same, adding to replaced the number of characters that became '?' for want of a form.
std::string toAnsi(QStringView text, std::uint64_t& replaced);

} // namespace vorendal
