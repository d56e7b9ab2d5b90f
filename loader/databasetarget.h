#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <firebird/Interface.h>

#include "loader/rowmessage.h"
#include "scripts/tableexport.h"

namespace vorendal {
class TField;
struct StructureLines;
} // namespace vorendal

namespace vorendal::loader {

class Session;
struct TableLoadOptions;

// The database as an export target: every record becomes a row of the table the structure lines
// describe (already created), inserted through prepared statements with native parameters, in
// one transaction committed every so many rows. Blobs go through the blob interface whole.
// Firebird's failures come out as LoadError. Frees its statements when destroyed (so that the
// table can be dropped) and rolls back what endTable did not commit.
class DatabaseTarget : public ExportTarget {
public:
    DatabaseTarget(Session& session, const StructureLines& lines, const TableLoadOptions& options);
    ~DatabaseTarget() override;
    DatabaseTarget(const DatabaseTarget&) = delete;
    DatabaseTarget& operator=(const DatabaseTarget&) = delete;

    void beginTable(TTable& table) override;
    void writeRecord(TTable& table, std::uint64_t record, ExportResult& result) override;
    void endTable(TTable& table, ExportResult& result) override;

private:
    // A prepared insert of one or more rows, with its message.
    struct Insert {
        Firebird::IStatement* statement = nullptr;
        Firebird::IMessageMetadata* metadata = nullptr;
        std::vector<Slot> slots;
        std::vector<unsigned char> message;
        unsigned rows = 0;
    };
    struct Column {
        const TField* field;
        std::string name; // the column's name
        std::string type; // its SQL type
        bool blankIsEmptyText;
    };

    void prepare(Insert& insert, const std::string& sql, unsigned rows);
    void release(Insert& insert) noexcept;
    void encodeRow(Insert& insert, unsigned row, std::uint64_t record, ExportResult& result);
    void execute(Insert& insert, std::uint64_t rows);
    std::string insertSql() const;
    std::string blockSql(unsigned rows) const;

    Session& m_session;
    const StructureLines& m_lines;
    const TableLoadOptions& m_options;
    std::vector<Column> m_columns;
    Firebird::ITransaction* m_transaction = nullptr;
    Insert m_single;
    Insert m_block; // rows in groups: one round trip each
    unsigned m_pending = 0;
    std::uint64_t m_uncommitted = 0;
};

} // namespace vorendal::loader
