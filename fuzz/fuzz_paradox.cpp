// libFuzzer target for the Paradox reader. The input is the table file, optionally followed by
// its companions, each introduced by the marker "|PX|" in this order: .MB, .VAL, .X02, .XG0,
// .PX. A plain .DB file is therefore a valid input on its own (seed corpus: real tables).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/exceptions.h"
#include "source/engine/bytesource.h"
#include "source/engine/tablereader.h"
#include "source/engine/value.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorendal;
    static constexpr std::string_view kMarker = "|PX|";
    static constexpr const char* kCompanions[] = {"MB", "VAL", "X02", "XG0", "PX"};

    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t cut = input.find(kMarker);
    engine::MemoryTableFiles files("FUZZ", "DB", std::string(input.substr(0, cut)));
    for (const char* ext : kCompanions) {
        if (cut == std::string_view::npos)
            break;
        const std::size_t start = cut + kMarker.size();
        cut = input.find(kMarker, start);
        files.addCompanion(ext, std::string(input.substr(start, cut == std::string_view::npos
                                                                    ? std::string_view::npos
                                                                    : cut - start)));
    }

    try {
        const auto reader = engine::openParadoxTable(files);
        (void)reader->indexes();
        engine::Value value;
        auto readValues = [&] {
            for (std::size_t c = 0; c < reader->fields().size(); ++c) {
                try {
                    reader->value(c, value);
                } catch (const Exception&) {
                    // a damaged value: the rest of the record is still read
                }
            }
        };
        for (bool ok = reader->first(); ok; ok = reader->next())
            readValues();
        // The same table in stretches, every other one, as a thread sharing an export out reads
        // it: the block chain walked by the blocks' headers.
        const std::uint64_t stored = reader->storedRecords();
        const std::uint64_t stretch = 1 + size % 97;
        for (std::uint64_t n = 0; stored != 0 && n * stretch < stored && n < 4096; n += 2)
            for (bool ok = reader->seekStored(n * stretch, (n + 1) * stretch); ok;
                 ok = reader->next())
                readValues();
    } catch (const Exception&) {
    }
    return 0;
}
