#include "source/engine/dbase/dbfrules.h"

#include <optional>
#include <string>

#include "source/engine/dbase/dbfbytes.h"
#include "source/engine/dbase/dbfproperties.h"
#include "source/engine/dbase/dbfvalues.h"

namespace vorendal::engine::dbf {
namespace {

constexpr std::size_t kDescriptors = 32; // 32-byte layouts: first descriptor
constexpr std::size_t kDescriptor = 32;
constexpr std::size_t kDescriptors7 = 68; // dBASE 7: first descriptor
constexpr std::size_t kDescriptor7 = 48;
constexpr std::size_t kNextValue7 = 42;     // dBASE 7 descriptor: next autoincrement value
constexpr std::size_t kNextValueVfp = 19;   // VFP descriptor: next autoincrement value
constexpr std::size_t kStepVfp = 23;        // VFP descriptor: autoincrement step
constexpr std::uint8_t kVfpNullable = 0x02; // VFP descriptor byte 18
constexpr char kTerminator = 0x0D;

// Decodes a property's data as a value of field f, exactly as a record's bytes of f would be.
// False when the bytes cannot be such a value (a wrong size, a memo field).
bool decodeFieldBytes(const DbfField& f, std::string_view raw, const DbfTextConverter& text,
                      Value& out) {
    const bool fixed = raw.size() == f.width;
    switch (f.decode) {
    case DbfDecode::Nothing:
    case DbfDecode::MemoText:
    case DbfDecode::MemoBytes:
        return false;
    case DbfDecode::Text:
        decodeText(raw, &text, out);
        return raw.size() <= f.width;
    case DbfDecode::RawText:
        decodeText(raw, nullptr, out);
        return raw.size() <= f.width;
    case DbfDecode::VarBytes:
        out.startBytes().append(raw);
        return raw.size() <= f.width;
    case DbfDecode::Integer:
        decodeNumber(raw, true, out);
        return fixed;
    case DbfDecode::Number:
        decodeNumber(raw, false, out);
        return fixed;
    case DbfDecode::Date:
        decodeDate(raw, out);
        return fixed;
    case DbfDecode::Logical:
        decodeLogical(raw, out);
        return fixed;
    case DbfDecode::Int32LE:
        decodeInt32LE(raw, out);
        return fixed;
    case DbfDecode::Int32Sortable:
        decodeInt32Sortable(raw, out);
        return fixed;
    case DbfDecode::Currency:
        decodeCurrency(raw, out);
        return fixed;
    case DbfDecode::DoubleLE:
        decodeDoubleLE(raw, out);
        return fixed;
    case DbfDecode::DoubleSortable:
        decodeDoubleSortable(raw, out);
        return fixed;
    case DbfDecode::DateTimeVfp:
        decodeVfpDateTime(raw, out);
        return fixed;
    case DbfDecode::Timestamp7:
        decodeTimestamp7(raw, out);
        return fixed;
    }
    return false;
}

std::int64_t signed32(const char* p) {
    return static_cast<std::int32_t>(readU32LE(p));
}

const char* propertyName(std::uint8_t kind) {
    switch (kind) {
    case kPropertyMinimum:
        return "minimum";
    case kPropertyMaximum:
        return "maximum";
    default:
        return "default";
    }
}

class RulesReader {
public:
    RulesReader(const DbfHeader& h, std::string_view header,
                const std::vector<std::size_t>& columns, const DbfTextConverter& text)
        : m_h(h), m_header(header), m_text(text), m_columnOf(h.fields.size(), -1) {
        m_rules.fields.resize(columns.size());
        for (std::size_t c = 0; c < columns.size(); ++c)
            if (columns[c] < m_columnOf.size())
                m_columnOf[columns[c]] = static_cast<int>(c);
    }

    TableRules read() {
        for (std::size_t i = 0; i < m_h.fields.size(); ++i)
            if (m_columnOf[i] >= 0)
                readDescriptor(i, m_rules.fields[static_cast<std::size_t>(m_columnOf[i])]);
        if (m_h.dialect == DbfDialect::DBase7)
            readProperties();
        return std::move(m_rules);
    }

private:
    void readDescriptor(std::size_t i, FieldRules& rules) const {
        const DbfField& f = m_h.fields[i];
        const bool level7 = m_h.dialect == DbfDialect::DBase7;
        const bool vfp = m_h.dialect == DbfDialect::VisualFoxPro;
        if (vfp)
            rules.nullable = (f.vfpFlags & kVfpNullable) != 0;
        if (f.type != ftAutoInc)
            return;
        rules.autoIncrement = AutoIncrement{};
        const std::size_t at =
            level7 ? kDescriptors7 + i * kDescriptor7 : kDescriptors + i * kDescriptor;
        const std::size_t size = level7 ? kDescriptor7 : kDescriptor;
        if (!(level7 || vfp) || at > m_header.size() || m_header.size() - at < size)
            return;
        const char* d = m_header.data() + at;
        if (level7) {
            rules.autoIncrement->next = signed32(d + kNextValue7);
        } else {
            rules.autoIncrement->next = signed32(d + kNextValueVfp);
            // a step of 0 would give every row the same number: no writer stores it
            const std::uint8_t step = byteAt(d, kStepVfp);
            rules.autoIncrement->step = step == 0 ? 1 : step;
        }
    }

    // The field properties follow the descriptors' terminator.
    void readProperties() {
        const std::size_t start = kDescriptors7 + m_h.fields.size() * kDescriptor7;
        if (start >= m_header.size() || m_header[start] != kTerminator)
            return;
        const Dbase7Properties properties = readDbase7Properties(m_header, start + 1);
        if (!properties.problem.empty()) {
            m_rules.notDecoded.push_back("The field properties of the table header are damaged (" +
                                         properties.problem + "); they are not read.");
            return;
        }
        if (properties.integrityRules > 0)
            m_rules.notDecoded.push_back("The referential integrity entries of the table header (" +
                                         std::to_string(properties.integrityRules) +
                                         ") are not read.");
        for (const auto& p : properties.standard)
            readProperty(p);
    }

    void readProperty(const Dbase7Property& p) {
        if (p.kind == kPropertyConstraint) {
            m_rules.notDecoded.push_back("The table constraint \"" +
                                         m_text.toAnsi(cutAtZero(p.data)) + "\" is not read.");
            return;
        }
        if (p.field == 0 || p.field > m_h.fields.size() || m_columnOf[p.field - 1] < 0) {
            m_rules.notDecoded.push_back("A field property names field " + std::to_string(p.field) +
                                         ", which the table does not have.");
            return;
        }
        const DbfField& f = m_h.fields[p.field - 1];
        FieldRules& rules = m_rules.fields[static_cast<std::size_t>(m_columnOf[p.field - 1])];
        std::optional<RuleValue>* target = nullptr;
        switch (p.kind) {
        case kPropertyRequired:
            rules.required = true;
            return;
        case kPropertyMinimum:
            target = &rules.minimum;
            break;
        case kPropertyMaximum:
            target = &rules.maximum;
            break;
        case kPropertyDefault:
            target = &rules.defaultValue;
            break;
        default:
            m_rules.notDecoded.push_back("A field property of kind " + std::to_string(p.kind) +
                                         " of field \"" + f.name + "\" is not read.");
            return;
        }
        RuleValue v;
        if (p.dataOutside || p.data.empty() || !decodeFieldBytes(f, p.data, m_text, v.value)) {
            m_rules.notDecoded.push_back(std::string("The ") + propertyName(p.kind) +
                                         " of field \"" + f.name + "\" cannot be read.");
            return;
        }
        *target = std::move(v);
    }

    const DbfHeader& m_h;
    std::string_view m_header;
    const DbfTextConverter& m_text;
    std::vector<int> m_columnOf; // h.fields index -> reported column, -1 for hidden fields
    TableRules m_rules;
};

} // namespace

TableRules readDbfRules(const DbfHeader& h, std::string_view header,
                        const std::vector<std::size_t>& columns, const DbfTextConverter& text) {
    if (h.dialect == DbfDialect::DBase2) {
        TableRules none;
        none.fields.resize(columns.size());
        return none;
    }
    return RulesReader(h, header, columns, text).read();
}

} // namespace vorendal::engine::dbf
