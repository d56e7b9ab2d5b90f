#include "scripts/paneexport.h"

#include <cstdint>
#include <optional>

#include "base/exceptions.h"
#include "scripts/linesink.h"
#include "scripts/usernotices.h"

namespace vorendal {
namespace {

// Passes the lines on and counts those the pane took; notes when it took no more.
class CountingSink : public LineSink {
public:
    explicit CountingSink(LineSink& pane) : m_pane(pane) {}

    void appendLine(std::string_view line) override {
        try {
            m_pane.appendLine(line);
        } catch (const EOutOfResources&) {
            m_full = true;
            throw;
        }
        ++m_taken;
    }

    std::uint64_t taken() const { return m_taken; }
    bool full() const { return m_full; }

private:
    LineSink& m_pane;
    std::uint64_t m_taken = 0;
    bool m_full = false;
};

// The records from the current one to the end; nullopt when the table fails on the way.
std::optional<std::uint64_t> recordsLeft(TTable& table) {
    std::uint64_t left = 0;
    try {
        for (; !table.Eof(); table.Next())
            ++left;
    } catch (const Exception&) {
        return std::nullopt;
    }
    return left;
}

} // namespace

void writeDataExportToPane(TTable& table, const std::string& path, const RegionalSettings& settings,
                           LineSink& pane, const ExportProgress& progress) {
    CountingSink counted(pane);
    try {
        writeDataExport(table, path, settings, counted, progress);
    } catch (const EOutOfResources& e) {
        if (!counted.full())
            throw;
        // the record whose line did not fit is the table's current one; the closing empty line,
        // when it is the one that did not fit, comes after the last record
        const std::uint64_t appended = counted.taken();
        std::optional<std::uint64_t> left = table.Active() ? recordsLeft(table) : std::nullopt;
        table.Close();
        const std::optional<std::uint64_t> total =
            left ? std::optional<std::uint64_t>(appended + *left) : std::nullopt;
        throw EOutOfResources(e.message() + ".\n" + paneFullLine(appended, total));
    }
}

} // namespace vorendal
