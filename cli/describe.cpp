#include "cli/describe.h"

#include "base/ansi.h"
#include "firebird/firebirdnames.h"
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
    const engine::Value& v = field.value();
    using K = engine::Value::Kind;
    switch (v.kind) {
    case K::Null:
        return "\\N";
    case K::Text:
        return escapedText(field.AsString(), field.textDelivery());
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

void describeTable(TTable& table, const std::string& path, std::FILE* out) {
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
    std::string line;
    for (table.First(); !table.Eof(); table.Next()) {
        line = "record";
        for (int i = 0; i < table.FieldCount(); ++i) {
            line += '\t';
            line += valueText(table.Fields(i));
        }
        writeLine(out, line);
    }
    table.Close();
}

} // namespace vorendal::cli
