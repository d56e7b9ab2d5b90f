#include "cli/loadsummary.h"

#include <charconv>
#include <cstdio>

namespace vorendal::cli {
namespace {

using loader::TableLoad;

struct Totals {
    std::size_t tables = 0, loaded = 0, failed = 0, skipped = 0;
    std::uint64_t records = 0, rows = 0, nulls = 0, damaged = 0;
    double seconds = 0.0;
};

Totals totalsOf(const loader::LoadReport& report) {
    Totals t;
    for (const TableLoad& table : report.tables) {
        ++t.tables;
        t.loaded += table.outcome == TableLoad::Outcome::Loaded;
        t.failed += table.outcome == TableLoad::Outcome::Failed;
        t.skipped += table.outcome == TableLoad::Outcome::Skipped;
        t.records += table.recordsRead;
        t.rows += table.rowsLoaded;
        t.nulls += table.nullsWritten;
        t.damaged += table.damagedValues;
        t.seconds += table.seconds;
    }
    return t;
}

const char* outcomeName(TableLoad::Outcome outcome) {
    switch (outcome) {
    case TableLoad::Outcome::Loaded:
        return "loaded";
    case TableLoad::Outcome::Failed:
        return "failed";
    case TableLoad::Outcome::Skipped:
        return "skipped";
    }
    return "failed";
}

std::size_t characters(std::string_view utf8) {
    std::size_t n = 0;
    for (const char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

void appendLeft(std::string& out, std::string_view text, std::size_t width) {
    out += text;
    for (std::size_t n = characters(text); n < width; ++n)
        out += ' ';
}

void appendRight(std::string& out, std::string_view text, std::size_t width) {
    for (std::size_t n = characters(text); n < width; ++n)
        out += ' ';
    out += text;
}

std::string number(std::uint64_t value) {
    return std::to_string(value);
}

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

void appendLine(std::string& out, std::string_view name, std::uint64_t records, std::uint64_t rows,
                std::uint64_t nulls, std::uint64_t damaged, double secs, std::string_view result) {
    appendLeft(out, name, 31);
    appendRight(out, number(records), 11);
    appendRight(out, number(rows), 11);
    appendRight(out, number(nulls), 7);
    appendRight(out, number(damaged), 9);
    appendRight(out, seconds(secs), 9);
    out += "  ";
    out += result;
    out += '\n';
}

// A JSON string of bytes that should be UTF-8; a byte that is not is written as the character
// of the same number, so that the document stays valid.
void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        for (std::size_t k = 1; k < length; ++k)
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                length = 0;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || length == 0) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out.append(text.substr(i, length));
            i += length - 1;
        }
    }
    out += '"';
}

void appendField(std::string& out, std::string_view name, std::uint64_t value) {
    out += ", \"";
    out += name;
    out += "\": ";
    out += number(value);
}

} // namespace

std::string loadSummaryText(const loader::LoadReport& report) {
    std::string out;
    appendLeft(out, "TABLE", 31);
    out += "    RECORDS       ROWS   NULL  DAMAGED  SECONDS  RESULT\n";
    for (const TableLoad& table : report.tables) {
        std::string result = outcomeName(table.outcome);
        if (table.verified)
            result += ", verified";
        if (!table.warnings.empty())
            result += ", " + number(table.warnings.size()) + " index(es) not created";
        if (!table.rulesNotCarried.empty())
            result += ", " + number(table.rulesNotCarried.size()) + " rule(s) not carried";
        appendLine(out, table.table, table.recordsRead, table.rowsLoaded, table.nullsWritten,
                   table.damagedValues, table.seconds, result);
    }
    const Totals t = totalsOf(report);
    std::string result = number(t.loaded) + " loaded";
    if (t.failed > 0)
        result += ", " + number(t.failed) + " failed";
    if (t.skipped > 0)
        result += ", " + number(t.skipped) + " skipped";
    appendLine(out, "total: " + number(t.tables) + " tables", t.records, t.rows, t.nulls, t.damaged,
               t.seconds, result);
    return out;
}

std::string loadReportJson(const loader::LoadReport& report, std::string_view database) {
    std::string out = "{\"database\": ";
    appendJsonString(out, database);
    out += ",\n \"tables\": [";
    bool first = true;
    for (const TableLoad& table : report.tables) {
        out += first ? "\n  {\"path\": " : ",\n  {\"path\": ";
        first = false;
        appendJsonString(out, table.path);
        out += ", \"table\": ";
        appendJsonString(out, table.table);
        if (!table.renamedFrom.empty()) {
            out += ", \"renamed_from\": ";
            appendJsonString(out, table.renamedFrom);
        }
        out += ", \"result\": \"";
        out += outcomeName(table.outcome);
        out += '"';
        appendField(out, "records", table.recordsRead);
        appendField(out, "rows", table.rowsLoaded);
        appendField(out, "nulls", table.nullsWritten);
        appendField(out, "damaged", table.damagedValues);
        out += ", \"seconds\": " + seconds(table.seconds);
        out += table.verified ? ", \"verified\": true" : ", \"verified\": false";
        out += ", \"error\": ";
        if (table.error.empty())
            out += "null";
        else
            appendJsonString(out, table.error);
        out += ", \"warnings\": [";
        for (std::size_t i = 0; i < table.warnings.size(); ++i) {
            if (i > 0)
                out += ", ";
            appendJsonString(out, table.warnings[i]);
        }
        out += "], \"rules_not_carried\": [";
        for (std::size_t i = 0; i < table.rulesNotCarried.size(); ++i) {
            if (i > 0)
                out += ", ";
            appendJsonString(out, table.rulesNotCarried[i]);
        }
        out += "]}";
    }
    const Totals t = totalsOf(report);
    out += "],\n \"total\": {\"tables\": " + number(t.tables);
    appendField(out, "loaded", t.loaded);
    appendField(out, "failed", t.failed);
    appendField(out, "skipped", t.skipped);
    appendField(out, "records", t.records);
    appendField(out, "rows", t.rows);
    appendField(out, "nulls", t.nulls);
    appendField(out, "damaged", t.damaged);
    out += ", \"seconds\": " + seconds(t.seconds) + "},\n \"rules_not_carried\": [";
    for (std::size_t i = 0; i < report.rulesNotCarried.size(); ++i) {
        if (i > 0)
            out += ", ";
        appendJsonString(out, report.rulesNotCarried[i]);
    }
    out += "]}\n";
    return out;
}

} // namespace vorendal::cli
