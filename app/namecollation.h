#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <QCollator>
#include <QLocale>

namespace vorendal {

// The order in which the browser shows file and folder names: the collation of the user's
// locale, ignoring case, so that accented letters sort beside their plain forms ("ágil.dbf",
// "Banco.dbf", "Órgão.dbf", "Zeta.dbf"); names that collate alike keep one fixed order, by their
// bytes. Names are the file system's bytes (UTF-8 on this platform).
class NameCollation {
public:
    // A locale without collation rules of its own ("C", "POSIX") collates by the common
    // Unicode order instead, which also puts accented letters beside their plain forms.
    explicit NameCollation(const QLocale& locale = QLocale::system());

    bool less(std::string_view a, std::string_view b) const;
    // Sorts names by less, reading each name once.
    void sort(std::vector<std::string>& names) const;

private:
    QCollator m_collator;
};

} // namespace vorendal
