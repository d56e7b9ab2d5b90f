#include "scripts/tableexport.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "base/exceptions.h"
#include "source/ttable.h"

namespace vorendal {

void ExportResult::addNull(std::uint64_t record, const std::string& field) {
    ++nullsWritten;
    if (firstNulls.size() < kListedNulls)
        firstNulls.push_back({record, field});
}

ExportTarget::~ExportTarget() = default;

void ExportTarget::formatRecord(TTable& /*table*/, std::uint64_t /*record*/, std::string& /*line*/,
                                ExportResult& /*result*/) const {}

void ExportTarget::writeLine(std::string_view /*line*/, std::uint64_t /*record*/) {}

namespace {

// A turn holds at most this many records, and about this many bytes of lines, so that the lines
// waiting to be written stay small whatever the table.
constexpr std::uint64_t kMaxRecordsPerTurn = 4096;
constexpr std::uint64_t kMinRecordsPerTurn = 8;
constexpr std::uint64_t kTurnBytes = 1024 * 1024;
constexpr unsigned kMaxThreads = 64;
constexpr std::uint64_t kMinRecordsToShare = 1000;
constexpr std::size_t kMaxTurnsWaiting = 32;

// Values read from a memo or blob file are checked against the memos read before them (one
// shared by two records is damaged): such tables are read by one reader, in order.
bool readsCompanionFile(TFieldType type) {
    switch (type) {
    case ftMemo:
    case ftFmtMemo:
    case ftBlob:
    case ftGraphic:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
    case ftOraClob:
        return true;
    default:
        return false;
    }
}

bool canShareOut(TTable& table) {
    // a copy reads the table's header, indexes and rules again: not worth it for a few records
    if (table.RecordCount() != 0 && table.RecordCount() < kMinRecordsToShare)
        return false;
    for (int i = 0; i < table.FieldDefs().Count(); ++i)
        if (readsCompanionFile(table.FieldDefs()[i].DataType))
            return false;
    return true;
}

// Records per turn: the bytes a record's line may take, at most, bound it.
std::uint64_t recordsPerTurn(TTable& table, unsigned threads) {
    std::uint64_t lineBytes = 64;
    for (int i = 0; i < table.FieldDefs().Count(); ++i)
        // a character may take four bytes in UTF-8, and a quote doubled
        lineBytes += 32 + 8 * static_cast<std::uint64_t>(std::max(table.FieldDefs()[i].Size, 0));
    std::uint64_t records = kTurnBytes / lineBytes;
    // small tables are shared out too, a few turns per thread (the count may be unknown: 0)
    if (const std::uint64_t count = table.RecordCount(); count > 0)
        records = std::min(records, count / (std::uint64_t{threads} * 4));
    return std::clamp(records, kMinRecordsPerTurn, kMaxRecordsPerTurn);
}

// The lines of one turn of consecutive records, made by one thread.
struct Turn {
    std::uint64_t number = 0; // turn n holds stretch n of the table
    bool filled = false;
    bool last = false;
    std::string text;
    std::vector<std::size_t> ends; // where each record's line ends in text
    ExportResult nulls;            // the values written as NULL
    std::exception_ptr error;      // what stopped the reading after these lines
};

// Turns are handed round the threads, each reading its own copy of the table; they wait in a
// ring of slots for the writer.
class SharedExport {
public:
    SharedExport(TTable& table, const ExportTarget& target, unsigned threads)
        : m_target(target), m_threads(threads), m_perTurn(recordsPerTurn(table, threads)),
          m_slots(std::min<std::size_t>(kMaxTurnsWaiting, std::size_t{threads} * 2)) {
        for (unsigned k = 0; k < threads; ++k)
            m_copies.push_back(table.openCopy());
    }
    SharedExport(const SharedExport&) = delete;
    SharedExport& operator=(const SharedExport&) = delete;
    ~SharedExport() { stop(); }

    void start() {
        for (unsigned k = 0; k < m_threads; ++k)
            m_workers.emplace_back([this, k] { work(k); });
    }

    // The next turn in table order, once made.
    Turn& next() {
        std::unique_lock lock(m_mutex);
        Turn& turn = m_slots[m_nextTurn % m_slots.size()];
        m_changed.wait(lock, [&] { return turn.filled && turn.number == m_nextTurn; });
        return turn;
    }

    // The turn next() gave is written: its slot takes another.
    void release(Turn& turn) {
        {
            std::lock_guard lock(m_mutex);
            turn.filled = false;
            ++m_nextTurn;
        }
        m_changed.notify_all();
    }

    void stop() {
        {
            std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
        for (std::thread& worker : m_workers)
            worker.join();
        m_workers.clear();
    }

    void countReadsIn(TTable& table) const {
        for (const auto& copy : m_copies)
            table.takeReadsOf(*copy);
    }

private:
    // The slot for turn number, once the writer is done with the turn before it there; null when
    // the export stopped.
    Turn* claim(std::uint64_t number) {
        std::unique_lock lock(m_mutex);
        Turn& turn = m_slots[number % m_slots.size()];
        m_changed.wait(lock, [&] { return m_stopped || number < m_nextTurn + m_slots.size(); });
        if (m_stopped)
            return nullptr;
        turn.number = number;
        turn.last = false;
        turn.text.clear();
        turn.ends.clear();
        turn.nulls = {};
        turn.error = nullptr;
        return &turn;
    }

    void hand(Turn& turn) {
        {
            std::lock_guard lock(m_mutex);
            turn.filled = true;
        }
        m_changed.notify_all();
    }

    // Thread k makes turns k, k + threads, ...: turn n holds the records of stretch n of its own
    // copy of the table (TTable::EnterStretch), numbered from 1 within the turn. A turn that
    // ends the table, or that failed, is the last this thread makes; the writer stops at the
    // first such turn in table order, so what stopped the reading comes after the same lines as
    // with one thread.
    void work(unsigned k) {
        TTable& table = *m_copies[k];
        // A record's line is made in a small buffer that stays in this core's cache and goes to
        // the turn in one copy: the turn's text was last read by the writer on another core.
        std::string line;
        for (std::uint64_t number = k;; number += m_threads) {
            Turn* turn = claim(number);
            if (turn == nullptr)
                return;
            try {
                std::uint64_t record = 0;
                for (table.EnterStretch(number, m_perTurn); !table.Eof(); table.Next()) {
                    line.clear();
                    m_target.formatRecord(table, ++record, line, turn->nulls);
                    turn->text += line;
                    turn->ends.push_back(turn->text.size());
                }
                turn->last = table.StretchEndsTable();
            } catch (...) {
                turn->error = std::current_exception();
                turn->last = true;
            }
            hand(*turn);
            if (turn->last)
                return;
        }
    }

    const ExportTarget& m_target;
    const unsigned m_threads;
    const std::uint64_t m_perTurn;
    std::vector<std::unique_ptr<TTable>> m_copies;
    std::vector<Turn> m_slots;
    std::vector<std::thread> m_workers;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_nextTurn = 0;
    bool m_stopped = false;
};

// Moves table to record number record (1 = the first), as a reading by one thread would have left
// it when that record's line failed.
void moveTo(TTable& table, std::uint64_t record) {
    table.First();
    for (std::uint64_t r = 1; r < record && !table.Eof(); ++r)
        table.Next();
}

void exportShared(TTable& table, ExportTarget& target, const ExportProgress& progress,
                  unsigned threads, ExportResult& result) {
    SharedExport shared(table, target, threads);
    shared.start();
    for (;;) {
        Turn& turn = shared.next();
        std::size_t start = 0;
        try {
            for (const std::size_t end : turn.ends) {
                target.writeLine(std::string_view(turn.text).substr(start, end - start),
                                 ++result.records);
                start = end;
                if (result.records % kExportProgressInterval == 0 && progress)
                    progress(result.records);
            }
        } catch (...) {
            shared.stop();
            shared.countReadsIn(table);
            try {
                moveTo(table, result.records);
            } catch (const Exception&) {
                // the table fails further on: what stopped the export is still the line
            }
            throw;
        }
        // the turn numbers its records from 1
        const std::uint64_t before = result.records - turn.ends.size();
        for (const NullWritten& null : turn.nulls.firstNulls)
            result.addNull(before + null.record, null.field);
        result.nullsWritten += turn.nulls.nullsWritten - turn.nulls.firstNulls.size();
        if (turn.last) {
            const std::exception_ptr error = turn.error;
            shared.stop();
            shared.countReadsIn(table);
            if (error)
                std::rethrow_exception(error);
            return;
        }
        shared.release(turn);
    }
}

} // namespace

ExportResult exportRecords(TTable& table, ExportTarget& target, const ExportProgress& progress,
                           unsigned threads) {
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    threads = std::min(threads, kMaxThreads);
    ExportResult result;
    target.beginTable(table);
    if (threads > 1 && target.formatsLines() && canShareOut(table)) {
        exportShared(table, target, progress, threads, result);
    } else {
        for (table.First(); !table.Eof(); table.Next()) {
            target.writeRecord(table, ++result.records, result);
            if (result.records % kExportProgressInterval == 0 && progress)
                progress(result.records);
        }
    }
    target.endTable(table, result);
    result.damage = table.damage();
    return result;
}

} // namespace vorendal
