#include "source/engine/dbase/dbfproperties.h"

#include "source/engine/dbase/dbfbytes.h"

namespace vorendal::engine::dbf {
namespace {

constexpr std::size_t kBlockHeader = 16;
constexpr std::size_t kStandardEntry = 15;

} // namespace

Dbase7Properties readDbase7Properties(std::string_view header, std::size_t start) {
    Dbase7Properties out;
    if (start > header.size() || header.size() - start < kBlockHeader)
        return out;
    const std::string_view block = header.substr(start);
    // block bytes 0-1: number of standard properties; 2-3: where their array starts; 8-9: number
    // of referential-integrity entries
    const std::size_t count = readU16LE(block.data());
    const std::size_t first = readU16LE(block.data() + 2);
    if (first > block.size() || count > (block.size() - first) / kStandardEntry) {
        out.problem = "it counts more properties than it holds";
        return out;
    }
    out.integrityRules = readU16LE(block.data() + 8);
    for (std::size_t i = 0; i < count; ++i) {
        // entry bytes 0-1: generation; 2-3: field number from 1; 4: kind; 11-12: data offset
        // from the block's start; 13-14: data size
        const char* entry = block.data() + first + i * kStandardEntry;
        Dbase7Property p;
        p.generation = readU16LE(entry);
        p.field = readU16LE(entry + 2);
        p.kind = byteAt(entry, 4);
        const std::size_t offset = readU16LE(entry + 11);
        const std::size_t size = readU16LE(entry + 13);
        // "required" carries no data, whatever its size says
        if (p.kind != kPropertyRequired && offset != 0) {
            if (offset <= block.size() && size <= block.size() - offset)
                p.data = block.substr(offset, size);
            else
                p.dataOutside = true;
        }
        bool replaced = false;
        for (auto& kept : out.standard) {
            if (kept.field == p.field && kept.kind == p.kind) {
                if (p.generation >= kept.generation)
                    kept = p;
                replaced = true;
            }
        }
        if (!replaced)
            out.standard.push_back(p);
    }
    return out;
}

void applyDbase7Properties(std::string_view header, std::size_t start,
                           std::vector<DbfField>& fields) {
    const Dbase7Properties properties = readDbase7Properties(header, start);
    std::vector<char> required(fields.size(), 0);
    std::vector<char> hasDefault(fields.size(), 0);
    for (const auto& p : properties.standard) {
        if (p.field == 0 || p.field > fields.size())
            continue;
        if (p.kind == kPropertyRequired)
            required[p.field - 1] = 1;
        else if (p.kind == kPropertyDefault)
            hasDefault[p.field - 1] = 1;
    }
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i].required = required[i] && !hasDefault[i] && fields[i].type != ftAutoInc;
}

} // namespace vorendal::engine::dbf
