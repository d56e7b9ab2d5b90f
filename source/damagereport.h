#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace vorendal {

// What went wrong with a value that was read all the same.
enum class DamageKind : std::uint8_t {
    Unreadable, // a damaged memo or blob, read as null
    CutAtZero   // text that stops at a zero byte while more text follows it, left out
};

// The values of a table that could not be read whole, per field and kind.
struct FieldDamage {
    std::string field;             // the field's name (1252), as the table component names it
    std::uint64_t count = 0;       // values of the field with this damage
    std::uint64_t firstRecord = 0; // record number of the first of them
    DamageKind kind = DamageKind::Unreadable;
};

class DamageReport {
public:
    // Counts one damaged value of field at record.
    void add(const std::string& field, std::uint64_t record,
             DamageKind kind = DamageKind::Unreadable);
    void clear();
    // Adds the damage another reading of the same table met (on other records): counts add up,
    // the first record is the earlier one, and the fields stay in the order their first damaged
    // value comes in the table.
    void merge(const DamageReport& other);
    bool empty() const { return m_fields.empty(); }
    // One entry per field and kind, in the order the first of each was met.
    const std::vector<FieldDamage>& fields() const { return m_fields; }

private:
    std::vector<FieldDamage> m_fields;
    std::unordered_map<std::string, std::size_t> m_byName; // kind + field -> index in m_fields
};

// The sentence for one field (1252, no trailing newline):
//   "2 values of field OBS could not be read; the first at record 17."
//   "The value of field OBS in record 17 could not be read."
//   "2 values of field OBS have text after a zero byte, left out; the first at record 17."
//   "The value of field OBS in record 17 has text after a zero byte, left out."
std::string fieldDamageText(const FieldDamage& damage);

// The one message shown after an export whose table had damaged values: the sentences of every
// field, one per line. Empty when nothing was damaged.
std::string damageMessage(const DamageReport& report);

} // namespace vorendal
