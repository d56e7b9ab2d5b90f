#include "cli/describe.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/ansi.h"
#include "firebird/firebirdnames.h"
#include "scripts/tableexport.h"
#include "source/tablename.h"

namespace vorendal::cli {
namespace {

std::string hexText(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

void writeLine(std::FILE* out, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), out);
    std::fputc('\n', out);
}

std::string ruleValueText(const RuleValue& v, engine::TextDelivery delivery) {
    switch (v.kind) {
    case RuleValue::Kind::Constant:
        return valueText(v.value, delivery);
    case RuleValue::Kind::Today:
        return "today";
    case RuleValue::Kind::Now:
        return "now";
    }
    return "\\N";
}

// The lines of one field's rules, in a fixed order.
void writeFieldRules(const std::string& name, const FieldRules& r, engine::TextDelivery delivery,
                     std::FILE* out) {
    const std::string check = "check\t" + name + "\t";
    if (r.required)
        writeLine(out, check + "required");
    if (r.minimum)
        writeLine(out, check + "minimum\t" + ruleValueText(*r.minimum, delivery));
    if (r.maximum)
        writeLine(out, check + "maximum\t" + ruleValueText(*r.maximum, delivery));
    if (!r.picture.empty())
        writeLine(out, check + "picture\t" + escapedText(r.picture, delivery));
    if (r.nullable == false)
        writeLine(out, check + "notnull");
    if (r.defaultValue)
        writeLine(out, "default\t" + name + "\t" + ruleValueText(*r.defaultValue, delivery));
    if (r.lookup)
        writeLine(out, "lookup\t" + name + "\t" + escapedText(r.lookup->table, delivery) + "\t" +
                           (r.lookup->allFields ? "all" : "current") + "\t" +
                           (r.lookup->help ? "1" : "0"));
    if (r.autoIncrement)
        writeLine(out, "autoinc\t" + name + "\t" +
                           (r.autoIncrement->next ? std::to_string(*r.autoIncrement->next)
                                                  : std::string("\\N")) +
                           "\t" + std::to_string(r.autoIncrement->step));
}

// The record lines, made by the export loop (on several threads when the table allows).
// Text that escaping leaves as it is and that is the same in UTF-8: most values.
bool passesAsItIs(std::string_view text, engine::TextDelivery delivery) {
    const bool ansi = delivery == engine::TextDelivery::Ansi;
    for (const char c : text)
        if (c == '\\' || c == '\t' || c == '\r' || c == '\n' || (ansi && (c & 0x80) != 0))
            return false;
    return true;
}

// valueText(value, delivery) appended to line, the common values without a string of their own.
void appendValueText(std::string& line, const engine::Value& v, engine::TextDelivery delivery) {
    if (v.kind == engine::Value::Kind::Text) {
        const std::string_view text(v.text.data(), std::min(v.text.find('\0'), v.text.size()));
        if (passesAsItIs(text, delivery)) {
            line += text;
            return;
        }
    } else if (v.kind == engine::Value::Kind::Integer) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, v.integer).ptr;
        line.append(digits, end);
        return;
    } else if (v.kind == engine::Value::Kind::Float && v.decimals >= 0) {
        // the table's own digits: the text their double gives
        engine::appendShortestDecimal(line, std::signbit(v.number),
                                      static_cast<std::uint64_t>(v.integer), v.decimals);
        return;
    }
    line += valueText(v, delivery);
}

// The record lines, gathered into blocks for the output: one write per block rather than two
// per line.
class RecordLines : public ExportTarget {
public:
    explicit RecordLines(std::FILE* out) : m_out(out) {}
    RecordLines(const RecordLines&) = delete;
    RecordLines& operator=(const RecordLines&) = delete;
    ~RecordLines() override { flush(); } // the lines before a failure are written too

    void beginTable(TTable& /*table*/) override {}
    void endTable(TTable& /*table*/, ExportResult& /*result*/) override { flush(); }
    void writeRecord(TTable& table, std::uint64_t record, ExportResult& result) override {
        m_line.clear();
        formatRecord(table, record, m_line, result);
        writeLine(m_line, record);
    }

    bool formatsLines() const override { return true; }
    void formatRecord(TTable& table, std::uint64_t /*record*/, std::string& line,
                      ExportResult& /*result*/) const override {
        line += "record";
        for (int i = 0; i < table.FieldCount(); ++i) {
            line += '\t';
            const TField& field = table.Fields(i);
            appendValueText(line, field.value(), field.textDelivery());
        }
    }
    void writeLine(std::string_view line, std::uint64_t /*record*/) override {
        m_block += line;
        m_block += '\n';
        if (m_block.size() >= kBlockBytes)
            flush();
    }

private:
    static constexpr std::size_t kBlockBytes = 64 * 1024;

    void flush() {
        std::fwrite(m_block.data(), 1, m_block.size(), m_out);
        m_block.clear();
    }

    std::FILE* m_out;
    std::string m_line;
    std::string m_block;
};

std::string joined(const std::vector<std::string>& items) {
    std::string s;
    for (const auto& item : items)
        s += (s.empty() ? "" : ";") + item;
    return s;
}

void writeRules(TTable& table, std::FILE* out) {
    const engine::TextDelivery delivery = table.textDelivery();
    const TableRules& rules = table.rules();
    const TFieldDefs& defs = table.FieldDefs();
    auto fieldName = [&](std::size_t i) {
        return i < static_cast<std::size_t>(defs.Count())
                   ? escapedText(defs[static_cast<int>(i)].Name, delivery)
                   : "#" + std::to_string(i + 1);
    };
    for (std::size_t i = 0; i < rules.fields.size(); ++i)
        writeFieldRules(fieldName(i), rules.fields[i], delivery, out);
    for (const ReferenceRule& ref : rules.references) {
        std::vector<std::string> fields;
        std::vector<std::string> parentFields;
        for (std::size_t f : ref.fields)
            fields.push_back(fieldName(f));
        for (std::uint16_t f : ref.parentFields)
            parentFields.push_back(std::to_string(f));
        writeLine(out, "reference\t" + escapedText(ref.name, delivery) + "\t" + joined(fields) +
                           "\t" + escapedText(ref.parentTable, delivery) + "\t" +
                           joined(parentFields) + "\t" +
                           (ref.cascadeUpdate ? "cascade" : "restrict"));
    }
    for (const std::string& sentence : rules.notDecoded)
        writeLine(out, "notdecoded\t" + escapedText(sentence, delivery));
}

} // namespace

std::string escapedBytes(const std::string& bytes) {
    std::string escaped;
    escaped.reserve(bytes.size());
    for (char c : bytes) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\n':
            escaped += "\\n";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string escapedText(const std::string& ansi, engine::TextDelivery delivery) {
    return delivery == engine::TextDelivery::Utf8 ? escapedBytes(ansi)
                                                  : ansiToUtf8(escapedBytes(ansi));
}

std::string valueText(const TField& field) {
    return valueText(field.value(), field.textDelivery());
}

std::string valueText(const engine::Value& v, engine::TextDelivery delivery) {
    using K = engine::Value::Kind;
    switch (v.kind) {
    case K::Null:
        return "\\N";
    case K::Text:
        return escapedText(v.text.substr(0, v.text.find('\0')), delivery);
    case K::Bytes:
        return hexText(v.text);
    case K::Integer:
        return std::to_string(v.integer);
    case K::Float:
        return engine::shortestDoubleText(v.number);
    case K::Boolean:
        return v.boolean ? "true" : "false";
    case K::Date:
        return engine::isoDateText(v.days);
    case K::Time:
        return engine::isoTimeText(v.millis, true);
    case K::DateTime:
        return engine::isoDateText(v.days) + " " + engine::isoTimeText(v.millis, true);
    }
    return "\\N";
}

void reportCodePageWarning(const TTable& table) {
    const std::string& warning = table.codePageUsed().warning;
    if (!warning.empty())
        std::fprintf(stderr, "vorendal-cli: warning: %s.\n", ansiToUtf8(warning).c_str());
}

void describeTable(TTable& table, const std::string& path, std::FILE* out, unsigned threads) {
    table.Close();
    table.setTableName(path);
    table.IndexDefs().Update();
    table.Open();
    const engine::TextDelivery delivery = table.textDelivery();
    // read in UTF-8 for the firebird profile: the table's name as that profile's scripts name it
    writeLine(out, "table\t" + escapedBytes(path) + "\t" +
                       (delivery == engine::TextDelivery::Utf8
                            ? escapedText(firebird::tableName(path), delivery)
                            : escapedText(tableNameFromPath(path))));
    const engine::CodePageChoice& page = table.codePageUsed();
    writeLine(out, "codepage\t" + engine::codePageName(page.number) + "\t" +
                       engine::codePageReasonName(page.reason));
    reportCodePageWarning(table);
    if (table.passwordProtected())
        writeLine(out, "protected\tyes");
    const TFieldDefs& defs = table.FieldDefs();
    for (int i = 0; i < defs.Count(); ++i) {
        const TFieldDef& d = defs[i];
        writeLine(out, "field\t" + escapedText(d.Name, delivery) + "\t" +
                           fieldTypeName(d.DataType) + "\t" + std::to_string(d.Size) + "\t" +
                           (d.Required ? "1" : "0"));
    }
    table.IndexDefs().Update();
    for (int i = 0; i < table.IndexDefs().Count(); ++i) {
        const TIndexDef& ix = table.IndexDefs()[i];
        writeLine(out, "index\t" + escapedText(ix.Fields, delivery) + "\t" +
                           indexOptionsText(ix.Options));
    }
    writeRules(table, out);
    RecordLines records(out);
    exportRecords(table, records, {}, threads);
    table.Close();
}

} // namespace vorendal::cli
