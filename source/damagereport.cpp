#include "source/damagereport.h"

#include <algorithm>

namespace vorendal {

void DamageReport::add(const std::string& field, std::uint64_t record, DamageKind kind) {
    const auto [it, added] = m_byName.try_emplace(
        static_cast<char>('0' + static_cast<int>(kind)) + field, m_fields.size());
    if (added)
        m_fields.push_back({field, 0, record, kind});
    ++m_fields[it->second].count;
}

void DamageReport::merge(const DamageReport& other) {
    for (const FieldDamage& damage : other.m_fields) {
        const auto [it, added] = m_byName.try_emplace(
            static_cast<char>('0' + static_cast<int>(damage.kind)) + damage.field, m_fields.size());
        if (added) {
            m_fields.push_back(damage);
            continue;
        }
        FieldDamage& mine = m_fields[it->second];
        mine.count += damage.count;
        mine.firstRecord = std::min(mine.firstRecord, damage.firstRecord);
    }
    // each reading met its own fields in table order; the earliest first record orders them all
    std::stable_sort(
        m_fields.begin(), m_fields.end(),
        [](const FieldDamage& a, const FieldDamage& b) { return a.firstRecord < b.firstRecord; });
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_byName[static_cast<char>('0' + static_cast<int>(m_fields[i].kind)) + m_fields[i].field] =
            i;
}

void DamageReport::clear() {
    m_fields.clear();
    m_byName.clear();
}

std::string fieldDamageText(const FieldDamage& damage) {
    const std::string record = std::to_string(damage.firstRecord);
    const bool cut = damage.kind == DamageKind::CutAtZero;
    if (damage.count == 1)
        return "The value of field " + damage.field + " in record " + record +
               (cut ? " has text after a zero byte, left out." : " could not be read.");
    return std::to_string(damage.count) + " values of field " + damage.field +
           (cut ? " have text after a zero byte, left out" : " could not be read") +
           "; the first at record " + record + ".";
}

std::string damageMessage(const DamageReport& report) {
    std::string message;
    for (const FieldDamage& d : report.fields()) {
        if (!message.empty())
            message += '\n';
        message += fieldDamageText(d);
    }
    return message;
}

} // namespace vorendal
