#include "source/damagereport.h"

namespace vorendal {

void DamageReport::add(const std::string& field, std::uint64_t record, DamageKind kind) {
    const auto [it, added] = m_byName.try_emplace(
        static_cast<char>('0' + static_cast<int>(kind)) + field, m_fields.size());
    if (added)
        m_fields.push_back({field, 0, record, kind});
    ++m_fields[it->second].count;
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
