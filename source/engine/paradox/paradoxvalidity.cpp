#include "source/engine/paradox/paradoxvalidity.h"

#include <cstdio>
#include <optional>
#include <string>

#include "base/ansi.h"
#include "source/engine/paradox/paradoxformat.h"
#include "source/engine/paradox/paradoxvalues.h"

namespace vorendal::engine::paradox {
namespace {

constexpr std::uint64_t kMaxValSize = 1u << 20; // far above any real checks file
constexpr std::size_t kFirstRecord = 0x35;
constexpr std::size_t kRecordFixed = 0x1C;
constexpr std::size_t kLookupBlock = 0x50;
constexpr unsigned char kOldLayout = 0x01;
constexpr unsigned char kFirstNewLayout = 0x09;
// Lookup options (check record byte 3).
constexpr unsigned char kLookupAllFields = 0x01;
constexpr unsigned char kLookupHelp = 0x02;

// A field the checks refer to, and the table column it is.
struct FieldRef {
    std::uint8_t code = 0;
    std::uint8_t sizeByte = 0;
    std::string rawName; // as the file lists it (new layout), in the table's code page
    int column = -1;     // table column, -1 when it cannot be matched
};

// The checks file, with its bytes and what went wrong.
struct ValFile {
    const std::string& bytes;
    const unsigned char* b;
    const CodePage& text;
};

std::string hexByte(unsigned v) {
    char s[8];
    std::snprintf(s, sizeof s, "0x%02X", v & 0xFFu);
    return s;
}

std::string damaged(const std::string& what) {
    return "The validity checks file (.VAL) is damaged (" + what + "); its checks are not read.";
}

// The text up to the first zero byte of bytes[at, at + length), converted.
std::string cText(const ValFile& f, std::size_t at, std::size_t length) {
    const std::string_view raw(f.bytes.data() + at, length);
    return f.text.toText(raw.substr(0, raw.find('\0')));
}

// The footer of the new layout: field count, key count, name-area length, field numbers, type
// and size pairs, the table path and the field names, which end the file.
std::optional<std::vector<FieldRef>> readFooter(const ParadoxHeader& table,
                                                const std::string& bytes, std::size_t footer) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    if (footer + 6 > bytes.size())
        return std::nullopt;
    const std::size_t n = le16(b + footer);
    if (footer + 6 + 4 * n > bytes.size())
        return std::nullopt;
    std::vector<FieldRef> refs(n);
    std::vector<std::uint16_t> numbers(n);
    for (std::size_t j = 0; j < n; ++j) {
        numbers[j] = le16(b + footer + 6 + 2 * j);
        refs[j].code = b[footer + 6 + 2 * n + 2 * j];
        refs[j].sizeByte = b[footer + 6 + 2 * n + 2 * j + 1];
    }
    // The names are the last n zero-terminated strings of the file.
    std::size_t end = bytes.size();
    if (end > 0 && bytes[end - 1] == '\0')
        --end;
    const std::size_t nameArea = footer + 6 + 4 * n;
    for (std::size_t j = n; j-- > 0 && end > nameArea;) {
        std::size_t start = bytes.rfind('\0', end - 1);
        start = (start == std::string::npos || start < nameArea) ? nameArea : start + 1;
        refs[j].rawName = bytes.substr(start, end - start);
        end = start > nameArea ? start - 1 : nameArea;
    }

    const auto& fields = table.fields;
    auto sameType = [&](std::size_t c, const FieldRef& r) {
        return fields[c].code == r.code && fields[c].sizeByte == r.sizeByte;
    };
    bool positional = n == fields.size();
    for (std::size_t j = 0; j < n && positional; ++j)
        positional = sameType(j, refs[j]);
    for (std::size_t j = 0; j < n; ++j) {
        // prefer the field number, then the position, then the name
        for (std::size_t c = 0; c < fields.size() && refs[j].column < 0; ++c)
            if (table.hasFieldNumbers && fields[c].number == numbers[j] && sameType(c, refs[j]))
                refs[j].column = static_cast<int>(c);
        if (refs[j].column < 0 && positional)
            refs[j].column = static_cast<int>(j);
        for (std::size_t c = 0; c < fields.size() && refs[j].column < 0; ++c)
            if (!refs[j].rawName.empty() &&
                ansiUpperCase(fields[c].rawName) == ansiUpperCase(refs[j].rawName) &&
                sameType(c, refs[j]))
                refs[j].column = static_cast<int>(c);
    }
    return refs;
}

// A default, minimum or maximum stored as the field stores its values. A blank date stands for
// "today", a blank time or timestamp for "now". nullopt when the bytes are no value of the type.
std::optional<RuleValue> ruleValue(const FieldRef& ref, const unsigned char* p,
                                   const CodePage& text) {
    const TFieldType type = columnTypeOf(ref.code, ref.sizeByte).type;
    RuleValue v;
    if (!decodeFixedValue(type, p, storedWidth(ref.code, ref.sizeByte), text, v.value))
        return std::nullopt;
    if (v.value.isNull() && type == ftDate)
        v.kind = RuleValue::Kind::Today;
    else if (v.value.isNull() && (type == ftTime || type == ftDateTime))
        v.kind = RuleValue::Kind::Now;
    return v;
}

// Where each check record's field index leads, and where the records must end.
struct Layout {
    std::vector<FieldRef> refs;
    std::size_t recordsEnd = 0; // the RI section or the footer; the file's end in the old layout
    std::size_t integrity = 0;  // RI section, 0 = none
    std::size_t footer = 0;
};

std::optional<Layout> readLayout(const ParadoxHeader& table, const ValFile& f,
                                 std::string& problem) {
    Layout layout;
    const unsigned char version = f.b[1];
    if (version == kOldLayout) {
        // old layout: check records name table columns directly
        for (std::size_t c = 0; c < table.fields.size(); ++c)
            layout.refs.push_back({table.fields[c].code, table.fields[c].sizeByte,
                                   table.fields[c].rawName, static_cast<int>(c)});
        layout.recordsEnd = f.bytes.size();
        return layout;
    }
    if (version < kFirstNewLayout) {
        problem = "The validity checks file (.VAL) has a layout this program does not read "
                  "(byte 1 is " +
                  hexByte(version) + "); its checks are not read.";
        return std::nullopt;
    }
    layout.footer = le32(f.b + 0x09);    // 0x09: footer offset
    layout.integrity = le32(f.b + 0x0D); // 0x0D: RI section, 0 = none
    auto refs = readFooter(table, f.bytes, layout.footer);
    if (!refs) {
        problem = damaged("its field list lies outside the file");
        return std::nullopt;
    }
    layout.refs = std::move(*refs);
    layout.recordsEnd = layout.integrity != 0 ? layout.integrity : layout.footer;
    if (layout.recordsEnd > layout.footer || layout.recordsEnd < kFirstRecord) {
        problem = damaged("its sections overlap");
        return std::nullopt;
    }
    return layout;
}

// Reads one check record at pos into rules; returns the offset after it, or nullopt (with
// problem set) when it does not fit before end.
std::optional<std::size_t> readCheck(const ValFile& f, const Layout& layout, std::size_t pos,
                                     std::size_t end, ParadoxValidity& out, std::string& problem) {
    if (pos + kRecordFixed > end) {
        problem = damaged("a check record runs past its end");
        return std::nullopt;
    }
    const unsigned char* rec = f.b + pos;
    if (rec[0] >= layout.refs.size()) {
        problem = damaged("a check names field " + std::to_string(rec[0] + 1) +
                          ", which it does not list");
        return std::nullopt;
    }
    const FieldRef& ref = layout.refs[rec[0]];
    const bool lookup = le32(rec + 0x04) != 0;
    const bool marked[3] = {le32(rec + 0x0C) != 0, le32(rec + 0x10) != 0,
                            le32(rec + 0x14) != 0}; // minimum, maximum, default
    const std::size_t pictureLength = rec[1] != 0 && le32(rec + 0x18) != 0 ? rec[1] : 0;
    const std::size_t width = storedWidth(ref.code, ref.sizeByte);
    std::size_t at = pos + kRecordFixed;
    const std::size_t next = at + (lookup ? kLookupBlock : 0) +
                             width * static_cast<std::size_t>(marked[0] + marked[1] + marked[2]) +
                             pictureLength;
    if (next > end) {
        problem = damaged("a check record runs past its end");
        return std::nullopt;
    }
    if (ref.column < 0) {
        out.rules.notDecoded.push_back("The checks of field \"" + f.text.toText(ref.rawName) +
                                       "\", which the table no longer has, are not read.");
        return next;
    }
    const auto column = static_cast<std::size_t>(ref.column);
    FieldRules& rules = out.rules.fields[column];
    rules.required = rec[2] == 1; // byte 2: required flag
    out.required[column] = rules.required && !marked[2];
    if (lookup) {
        // byte 3: lookup options; the block starts with the table's file name
        rules.lookup = FieldLookup{cText(f, at, kLookupBlock), (rec[3] & kLookupAllFields) != 0,
                                   (rec[3] & kLookupHelp) != 0};
        at += kLookupBlock;
    }
    std::optional<RuleValue>* targets[3] = {&rules.minimum, &rules.maximum, &rules.defaultValue};
    static const char* const kWhat[3] = {"minimum", "maximum", "default"};
    for (int i = 0; i < 3; ++i) {
        if (!marked[i])
            continue;
        *targets[i] = ruleValue(ref, f.b + at, f.text);
        if (!*targets[i])
            out.rules.notDecoded.push_back(std::string("The ") + kWhat[i] + " of field \"" +
                                           f.text.toText(ref.rawName) + "\" cannot be read.");
        at += width;
    }
    if (pictureLength > 0)
        rules.picture = cText(f, at, pictureLength);
    return next;
}

} // namespace

ParadoxValidity readParadoxValidity(const ParadoxHeader& table, const ByteSource& val,
                                    const CodePage& text) {
    ParadoxValidity out;
    const std::uint64_t size = val.size();
    if (size < kFirstRecord || size > kMaxValSize) {
        out.rules.notDecoded.push_back(
            damaged(size < kFirstRecord ? "it is too short" : "it is too large"));
        return out;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!val.read(0, bytes.data(), bytes.size())) {
        out.rules.notDecoded.push_back("The validity checks file (.VAL) cannot be read.");
        return out;
    }
    const ValFile f{bytes, reinterpret_cast<const unsigned char*>(bytes.data()), text};
    // byte 0 mirrors the table's change counter when the checks were saved
    if (f.b[0] != table.changeCount) {
        out.rules.notDecoded.push_back("The validity checks file (.VAL) was saved for an older "
                                       "state of the table; its checks are not read.");
        return out;
    }
    std::string problem;
    const auto layout = readLayout(table, f, problem);
    if (!layout) {
        out.rules.notDecoded.push_back(problem);
        return out;
    }

    ParadoxValidity checks;
    checks.rules.fields.resize(table.fields.size());
    checks.required.assign(table.fields.size(), false);
    std::size_t pos = kFirstRecord;
    const unsigned count = f.b[2]; // byte 2: number of check records
    for (unsigned r = 0; r < count; ++r) {
        const auto next = readCheck(f, *layout, pos, layout->recordsEnd, checks, problem);
        if (!next) {
            out.rules.notDecoded.push_back(problem);
            return out;
        }
        pos = *next;
    }
    // The records fill their section exactly; anything else means they were misread.
    if (pos != layout->recordsEnd) {
        out.rules.notDecoded.push_back(damaged("its checks do not fill their section"));
        return out;
    }
    if (layout->integrity != 0)
        readParadoxReferences(table, bytes, layout->integrity, layout->footer, text, checks.rules);
    return checks;
}

} // namespace vorendal::engine::paradox
