#include "app/namecollation.h"

#include <algorithm>
#include <numeric>

#include <QFile>

namespace vorendal {
namespace {

QLocale collatingLocale(const QLocale& locale) {
    if (locale.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates); // the root collation
    return locale;
}

QString decoded(std::string_view name) {
    return QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

} // namespace

NameCollation::NameCollation(const QLocale& locale) : m_collator(collatingLocale(locale)) {
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(false);
}

bool NameCollation::less(std::string_view a, std::string_view b) const {
    const int order = m_collator.compare(decoded(a), decoded(b));
    return order != 0 ? order < 0 : a < b;
}

void NameCollation::sort(std::vector<std::string>& names) const {
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const std::string& name : names)
        keys.push_back(m_collator.sortKey(decoded(name)));
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
        const int by = keys[x].compare(keys[y]);
        return by != 0 ? by < 0 : names[x] < names[y];
    });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(names[i]));
    names = std::move(sorted);
}

} // namespace vorendal
