#include "scripts/valueformat.h"

// Placeholder bodies; the formatting rules are written in their own change.
namespace vorendal {

void appendFixed2(std::string& out, double, std::string_view) {
    out += "0.00";
}
void appendGeneral(std::string& out, double, std::string_view) {
    out += "0";
}
void appendCurrency(std::string& out, std::int64_t, std::string_view) {
    out += "0";
}
void appendShortDate(std::string& out, double, const RegionalSettings&) {
    out += "1/1/00";
}
void appendLongTime(std::string& out, double, const RegionalSettings&) {
    out += "0:00:00 am";
}

} // namespace vorendal
