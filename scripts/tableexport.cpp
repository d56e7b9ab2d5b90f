#include "scripts/tableexport.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <string_view>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
constexpr std::size_t kPendingBytes = 4096;

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

// The text of a turn: written by the thread that makes the turn, read by the one that writes it.
// Whole cache lines go in with stores that bypass the cache, so that the maker does not wait for
// lines the writer read last time to come back from the writer's core.
class TurnText {
public:
    static constexpr std::size_t kLine = 64;

    void clear() { m_size = 0; }
    std::size_t size() const { return m_size; }
    std::string_view view() const { return {m_data.get(), m_size}; }

    // Appends n bytes; without bringing them into the cache when size() and n are whole lines.
    void stream(const char* bytes, std::size_t n) {
        if (n == 0)
            return;
        reserve(m_size + n);
        char* to = m_data.get() + m_size;
#if defined(__SSE2__)
        if (m_size % kLine == 0 && n % kLine == 0) {
            for (std::size_t i = 0; i < n; i += 16)
                _mm_stream_si128(reinterpret_cast<__m128i*>(to + i),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i)));
            m_size += n;
            return;
        }
#endif
        std::memcpy(to, bytes, n);
        m_size += n;
    }
    void append(std::string_view bytes) {
        if (bytes.empty())
            return; // (the buffer may not be there yet, and memcpy takes no null pointer)
        reserve(m_size + bytes.size());
        std::memcpy(m_data.get() + m_size, bytes.data(), bytes.size());
        m_size += bytes.size();
    }
    // Makes the streamed bytes seen by another thread that takes the turn after this.
    static void publish() {
#if defined(__SSE2__)
        _mm_sfence();
#endif
    }

private:
    struct Free {
        void operator()(char* p) const { ::operator delete[](p, std::align_val_t(kLine)); }
    };
    void reserve(std::size_t size) {
        if (size <= m_capacity)
            return;
        const std::size_t capacity = std::max(size, 2 * m_capacity);
        std::unique_ptr<char[], Free> data(
            static_cast<char*>(::operator new[](capacity, std::align_val_t(kLine))));
        if (m_size != 0)
            std::memcpy(data.get(), m_data.get(), m_size);
        m_data = std::move(data);
        m_capacity = capacity;
    }

    std::unique_ptr<char[], Free> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// The lines of one turn of consecutive records, made by one thread; each turn on cache lines of
// its own, since the next one is filled on another thread.
struct alignas(64) Turn {
    std::uint64_t number = 0; // turn n holds stretch n of the table
    bool filled = false;
    bool last = false;
    TurnText text;
    std::vector<std::size_t> ends; // where each record's line ends in text
    ExportResult nulls;            // the values written as NULL
    std::exception_ptr error;      // what stopped the reading after these lines
};

// Turns go to the threads as they come free, each thread reading its own copy of the table
// (TTable::enterStretch); a thread's turns come in table order, so a copy only ever reads on.
// The calling thread writes the turns in table order and makes turns itself while the next one
// to write is not ready. Turns wait in a ring of slots for the writer.
class SharedExport {
public:
    SharedExport(TTable& table, const ExportTarget& target, unsigned threads)
        : m_target(target), m_threads(threads), m_perTurn(recordsPerTurn(table, threads)),
          m_lines(threads),
          m_slots(std::min<std::size_t>(kMaxTurnsWaiting, std::size_t{threads} * 2)) {
        for (unsigned k = 0; k < threads; ++k)
            m_copies.push_back(table.openCopy());
    }
    SharedExport(const SharedExport&) = delete;
    SharedExport& operator=(const SharedExport&) = delete;
    ~SharedExport() { stop(); }

    void start() {
        for (unsigned k = 1; k < m_threads; ++k)
            m_workers.emplace_back([this, k] { work(k); });
    }

    // The next turn in table order, once made (by this thread, when no other has it).
    Turn& next() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            Turn& turn = m_slots[m_nextTurn % m_slots.size()];
            if (turn.filled && turn.number == m_nextTurn)
                return turn;
            if (claimable()) {
                Turn& mine = claim();
                lock.unlock();
                make(0, mine);
                lock.lock();
                finish(mine);
                continue;
            }
            m_writerWaits.wait(lock);
        }
    }

    // The turn next() gave is written: its slot takes another.
    void release(Turn& turn) {
        {
            std::lock_guard lock(m_mutex);
            turn.filled = false;
            ++m_nextTurn;
        }
        m_workersWait.notify_one();
    }

    void stop() {
        {
            std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_workersWait.notify_all();
        for (std::thread& worker : m_workers)
            worker.join();
        m_workers.clear();
    }

    void countReadsIn(TTable& table) const {
        for (const auto& copy : m_copies)
            table.takeReadsOf(*copy);
    }

private:
    // With the mutex held: a turn is free to make, its slot written, and none ended the table
    // before it.
    bool claimable() const {
        return !m_stopped && m_nextClaim <= m_lastTurn && m_nextClaim < m_nextTurn + m_slots.size();
    }

    // With the mutex held and claimable(): the next turn's slot, emptied.
    Turn& claim() {
        const std::uint64_t number = m_nextClaim++;
        Turn& turn = m_slots[number % m_slots.size()];
        turn.number = number;
        turn.last = false;
        turn.text.clear();
        turn.ends.clear();
        turn.nulls = {};
        turn.error = nullptr;
        return turn;
    }

    // Turn n holds the records of stretch n of copy k, numbered from 1 within the turn. A turn
    // that ends the table, or that failed, is the last its copy makes; the writer stops at the
    // first such turn in table order, so what stopped the reading comes after the same lines as
    // with one thread.
    void make(unsigned k, Turn& turn) {
        TTable& table = *m_copies[k];
        // Lines are made in a small buffer that stays in this core's cache and go to the turn a
        // few kilobytes at a time, in whole cache lines.
        std::string& pending = m_lines[k].text;
        pending.clear();
        try {
            std::uint64_t record = 0;
            for (table.enterStretch(turn.number, m_perTurn); !table.Eof(); table.Next()) {
                m_target.formatRecord(table, ++record, pending, turn.nulls);
                turn.ends.push_back(turn.text.size() + pending.size());
                if (pending.size() >= kPendingBytes) {
                    const std::size_t whole = pending.size() - pending.size() % TurnText::kLine;
                    turn.text.stream(pending.data(), whole);
                    pending.erase(0, whole);
                }
            }
            turn.last = table.stretchEndsTable();
        } catch (...) {
            turn.error = std::current_exception();
            turn.last = true;
            // what a failing record left of its line
            pending.resize(turn.ends.empty() ? 0 : turn.ends.back() - turn.text.size());
        }
        turn.text.append(pending);
        TurnText::publish();
    }

    // With the mutex held: the turn is made; the writer may take it.
    void finish(Turn& turn) {
        turn.filled = true;
        if (turn.last && turn.number < m_lastTurn) {
            m_lastTurn = turn.number;
            m_workersWait.notify_all(); // no turn past this one is to be made
        }
    }

    void work(unsigned k) {
        for (;;) {
            Turn* turn = nullptr;
            {
                std::unique_lock lock(m_mutex);
                m_workersWait.wait(lock, [&] {
                    return m_stopped || m_nextClaim > m_lastTurn ||
                           m_nextClaim < m_nextTurn + m_slots.size();
                });
                if (!claimable())
                    return;
                turn = &claim();
            }
            make(k, *turn);
            bool last = false;
            {
                std::lock_guard lock(m_mutex);
                last = turn->last;
                finish(*turn);
            }
            m_writerWaits.notify_one();
            if (last)
                return; // this copy read to the table's end, or failed
        }
    }

    const ExportTarget& m_target;
    const unsigned m_threads;
    const std::uint64_t m_perTurn;
    std::vector<std::unique_ptr<TTable>> m_copies; // copy 0 is the calling thread's
    // Each thread's line buffer, on a cache line of its own: a buffer's size changes with every
    // value appended.
    struct alignas(64) LineBuffer {
        std::string text;
    };
    std::vector<LineBuffer> m_lines;
    std::vector<Turn> m_slots;
    std::vector<std::thread> m_workers;
    std::mutex m_mutex;
    std::condition_variable m_writerWaits;
    std::condition_variable m_workersWait;
    std::uint64_t m_nextTurn = 0;  // the next turn to write
    std::uint64_t m_nextClaim = 0; // the next turn to make
    std::uint64_t m_lastTurn = ~std::uint64_t{0};
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
                target.writeLine(turn.text.view().substr(start, end - start), ++result.records);
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
