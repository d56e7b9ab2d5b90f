#pragma once

#include <string>
#include <string_view>

#include "loader/loadreport.h"

namespace vorendal::cli {

// The table printed after a load: a heading, one line per table (its name in the database, the
// records read, the rows the database counted, the values written as NULL, the damaged values,
// the seconds it took and what became of it) and a line of totals. UTF-8.
std::string loadSummaryText(const loader::LoadReport& report);

// The same as a JSON document, for scripts: {"database": ..., "tables": [...], "total": {...}}.
std::string loadReportJson(const loader::LoadReport& report, std::string_view database);

} // namespace vorendal::cli
