// libFuzzer target for the dBASE / FoxPro reader. The input is split at the marker "#VRDL#" into
// up to three files: the table, its memo file (offered as .dbt and .fpt) and its index file
// (offered as .mdx and .cdx). The whole structure, the indexes and every value of every record
// are read; only the system's own exceptions may leave the reader.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/exceptions.h"
#include "source/engine/bytesource.h"
#include "source/engine/tablereader.h"

namespace {

constexpr std::string_view kMarker = "#VRDL#";
constexpr std::size_t kMaxRecords = 1u << 16;

std::vector<std::string> splitInput(std::string_view input) {
    std::vector<std::string> parts;
    while (parts.size() < 2) {
        const std::size_t at = input.find(kMarker);
        if (at == std::string_view::npos)
            break;
        parts.emplace_back(input.substr(0, at));
        input.remove_prefix(at + kMarker.size());
    }
    parts.emplace_back(input);
    return parts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorendal;
    const std::vector<std::string> parts =
        splitInput(std::string_view(reinterpret_cast<const char*>(data), size));
    engine::MemoryTableFiles files("FUZZ", "dbf", parts[0]);
    if (parts.size() > 1) {
        files.addCompanion("dbt", parts[1]);
        files.addCompanion("fpt", parts[1]);
    }
    if (parts.size() > 2) {
        files.addCompanion("mdx", parts[2]);
        files.addCompanion("cdx", parts[2]);
    }
    try {
        const auto reader = engine::openDbfTable(files);
        std::size_t sum = 0;
        for (const auto& f : reader->fields())
            sum += f.name.size() + static_cast<std::size_t>(f.size) + f.type;
        for (const auto& i : reader->indexes())
            sum += i.fields.size() + i.options.bits();
        engine::Value v;
        std::size_t records = 0;
        for (bool ok = reader->first(); ok && records < kMaxRecords; ok = reader->next()) {
            ++records;
            for (std::size_t c = 0; c < reader->fields().size(); ++c) {
                try {
                    reader->value(c, v);
                    sum += v.text.size();
                } catch (const Exception&) {
                }
            }
        }
        if (sum == 1)
            return 0;
    } catch (const Exception&) {
    }
    return 0;
}
