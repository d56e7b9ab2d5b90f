// Reads every row of one table of a Firebird database back, in the tab-separated form that the
// round-trip check compares with what the table source yields:
//   column <name> <type> [notnull]       one per column
//   record <value> <value> ...           one per row, in the table's natural order
// Values: \N for null; text as UTF-8 with \\ \t \r \n escaped; integers and scaled numbers in
// decimal; floats in their shortest round-trip form; booleans true/false; dates YYYY-MM-DD; times
// HH:MM:SS.ffff; text blobs as text, other blobs as lower-case hexadecimal.
// Usage: fbdump DATABASE TABLE   (embedded access; exit 1 with the engine's message on failure)
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <ibase.h>

namespace {

ISC_STATUS_ARRAY status;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fbdump: %s\n", what);
    const ISC_STATUS* vector = status;
    char message[1024];
    while (fb_interpret(message, sizeof message, &vector) != 0)
        std::fprintf(stderr, "  %s\n", message);
    std::exit(1);
}

void check(const char* what) {
    if (status[0] == 1 && status[1] != 0)
        fail(what);
}

std::string escaped(const char* data, std::size_t size) {
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        switch (data[i]) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += data[i];
        }
    }
    return out;
}

std::string hex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

std::string scaled(ISC_INT64 value, int scale) {
    if (scale >= 0) {
        std::string text = std::to_string(value);
        if (value != 0)
            text.append(static_cast<std::size_t>(scale), '0');
        return text;
    }
    const bool negative = value < 0;
    unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                                            : static_cast<unsigned long long>(value);
    std::string digits = std::to_string(magnitude);
    const auto decimals = static_cast<std::size_t>(-scale);
    if (digits.size() <= decimals)
        digits.insert(0, decimals - digits.size() + 1, '0');
    digits.insert(digits.size() - decimals, ".");
    return (negative ? "-" : "") + digits;
}

std::string dateText(const ISC_DATE& date) {
    std::tm tm{};
    isc_decode_sql_date(&date, &tm);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday);
    return buffer;
}

std::string timeText(ISC_TIME time) {
    const unsigned fraction = time % 10000;
    time /= 10000;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02u:%02u:%02u.%04u", time / 3600, time / 60 % 60,
                  time % 60, fraction);
    return buffer;
}

std::string shortest(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string blobText(isc_db_handle& db, isc_tr_handle& tr, ISC_QUAD id, bool text) {
    isc_blob_handle blob = 0;
    isc_open_blob2(status, &db, &tr, &blob, &id, 0, nullptr);
    check("open blob");
    std::string bytes;
    char segment[32768];
    for (;;) {
        unsigned short length = 0;
        const ISC_STATUS rc = isc_get_segment(status, &blob, &length, sizeof segment, segment);
        if (rc != 0 && rc != isc_segment) {
            if (rc == isc_segstr_eof)
                break;
            fail("read blob");
        }
        bytes.append(segment, length);
    }
    isc_close_blob(status, &blob);
    return text ? escaped(bytes.data(), bytes.size()) : hex(bytes);
}

const char* typeName(const XSQLVAR& var) {
    switch (var.sqltype & ~1) {
    case SQL_VARYING:
        return "varchar";
    case SQL_TEXT:
        return "char";
    case SQL_SHORT:
        return "smallint";
    case SQL_LONG:
        return "integer";
    case SQL_INT64:
        return var.sqlscale != 0 ? "numeric" : "bigint";
    case SQL_FLOAT:
        return "float";
    case SQL_DOUBLE:
        return "double";
    case SQL_BOOLEAN:
        return "boolean";
    case SQL_TYPE_DATE:
        return "date";
    case SQL_TYPE_TIME:
        return "time";
    case SQL_TIMESTAMP:
        return "timestamp";
    case SQL_BLOB:
        return var.sqlsubtype == 1 ? "text-blob" : "blob";
    default:
        return "other";
    }
}

std::string valueText(isc_db_handle& db, isc_tr_handle& tr, const XSQLVAR& var) {
    if ((var.sqltype & 1) != 0 && *var.sqlind < 0)
        return "\\N";
    const char* data = var.sqldata;
    switch (var.sqltype & ~1) {
    case SQL_VARYING: {
        short length;
        std::memcpy(&length, data, sizeof length);
        return escaped(data + 2, static_cast<std::size_t>(length));
    }
    case SQL_TEXT:
        return escaped(data, static_cast<std::size_t>(var.sqllen));
    case SQL_SHORT: {
        short v;
        std::memcpy(&v, data, sizeof v);
        return scaled(v, var.sqlscale);
    }
    case SQL_LONG: {
        ISC_LONG v;
        std::memcpy(&v, data, sizeof v);
        return scaled(v, var.sqlscale);
    }
    case SQL_INT64: {
        ISC_INT64 v;
        std::memcpy(&v, data, sizeof v);
        return scaled(v, var.sqlscale);
    }
    case SQL_FLOAT: {
        float v;
        std::memcpy(&v, data, sizeof v);
        return shortest(v);
    }
    case SQL_DOUBLE: {
        double v;
        std::memcpy(&v, data, sizeof v);
        return shortest(v);
    }
    case SQL_BOOLEAN:
        return *data != 0 ? "true" : "false";
    case SQL_TYPE_DATE: {
        ISC_DATE v;
        std::memcpy(&v, data, sizeof v);
        return dateText(v);
    }
    case SQL_TYPE_TIME: {
        ISC_TIME v;
        std::memcpy(&v, data, sizeof v);
        return timeText(v);
    }
    case SQL_TIMESTAMP: {
        ISC_TIMESTAMP v;
        std::memcpy(&v, data, sizeof v);
        return dateText(v.timestamp_date) + " " + timeText(v.timestamp_time);
    }
    case SQL_BLOB: {
        ISC_QUAD id;
        std::memcpy(&id, data, sizeof id);
        return blobText(db, tr, id, var.sqlsubtype == 1);
    }
    default:
        return "?";
    }
}

std::string quotedName(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fbdump DATABASE TABLE\n");
        return 2;
    }
    std::string dpb;
    dpb += static_cast<char>(isc_dpb_version1);
    dpb += static_cast<char>(isc_dpb_lc_ctype);
    dpb += static_cast<char>(4);
    dpb += "UTF8";
    isc_db_handle db = 0;
    isc_attach_database(status, 0, argv[1], &db, static_cast<short>(dpb.size()), dpb.data());
    check("attach");
    isc_tr_handle tr = 0;
    isc_start_transaction(status, &tr, 1, &db, 0, nullptr);
    check("start transaction");
    isc_stmt_handle stmt = 0;
    isc_dsql_allocate_statement(status, &db, &stmt);
    check("allocate statement");

    std::vector<char> sqldaBuffer(XSQLDA_LENGTH(1));
    auto* sqlda = reinterpret_cast<XSQLDA*>(sqldaBuffer.data());
    sqlda->version = SQLDA_VERSION1;
    sqlda->sqln = 1;
    const std::string sql = "SELECT * FROM " + quotedName(argv[2]);
    isc_dsql_prepare(status, &tr, &stmt, 0, sql.c_str(), 3, sqlda);
    check("prepare");
    const short columns = sqlda->sqld;
    if (columns > sqlda->sqln) {
        sqldaBuffer.assign(XSQLDA_LENGTH(columns), 0);
        sqlda = reinterpret_cast<XSQLDA*>(sqldaBuffer.data());
        sqlda->version = SQLDA_VERSION1;
        sqlda->sqln = columns;
        isc_dsql_describe(status, &stmt, 1, sqlda);
        check("describe");
    }
    std::vector<std::vector<char>> buffers(static_cast<std::size_t>(columns));
    std::vector<short> indicators(static_cast<std::size_t>(columns));
    for (short i = 0; i < columns; ++i) {
        XSQLVAR& var = sqlda->sqlvar[i];
        std::printf("column\t%.*s\t%s%s\n", var.aliasname_length, var.aliasname, typeName(var),
                    (var.sqltype & 1) != 0 ? "" : "\tnotnull");
        std::size_t size = static_cast<std::size_t>(var.sqllen) + 2;
        buffers[static_cast<std::size_t>(i)].assign(size + 8, 0);
        var.sqldata = buffers[static_cast<std::size_t>(i)].data();
        var.sqlind = &indicators[static_cast<std::size_t>(i)];
    }
    isc_dsql_execute(status, &tr, &stmt, 1, nullptr);
    check("execute");
    for (;;) {
        const ISC_STATUS rc = isc_dsql_fetch(status, &stmt, 1, sqlda);
        if (rc == 100)
            break;
        check("fetch");
        std::string line = "record";
        for (short i = 0; i < columns; ++i) {
            line += '\t';
            line += valueText(db, tr, sqlda->sqlvar[i]);
        }
        std::printf("%s\n", line.c_str());
    }
    isc_dsql_free_statement(status, &stmt, DSQL_drop);
    isc_commit_transaction(status, &tr);
    isc_detach_database(status, &db);
    return 0;
}
