#include "loader/databasetarget.h"

#include <algorithm>
#include <cstring>

#include <ibase.h>

#include "base/exceptions.h"
#include "firebird/firebirdliterals.h"
#include "firebird/firebirdtypes.h"
#include "loader/session.h"
#include "loader/tableload.h"
#include "scripts/structurescript.h"
#include "source/ttable.h"

namespace vorendal::loader {
namespace {

// Firebird takes a blob in segments of at most 64 KiB.
constexpr std::size_t kSegmentBytes = 32768;
// A group of rows is one message: kept well within what one round trip carries.
constexpr unsigned kBlockMessageBytes = 60000;
constexpr unsigned kBlockParameters = 1200;

// A blob created in the transaction holding bytes, its id written into the slot.
void storeBlob(Session& session, Firebird::ITransaction* transaction, const Slot& slot,
               std::string_view bytes, unsigned char* message) {
    ISC_QUAD id{};
    // a text blob is created as UTF-8 text, so that Firebird stores it as it is
    const unsigned char textBpb[] = {isc_bpb_version1,
                                     isc_bpb_source_type,
                                     1,
                                     1,
                                     isc_bpb_target_type,
                                     1,
                                     1,
                                     isc_bpb_source_interp,
                                     1,
                                     4,
                                     isc_bpb_target_interp,
                                     1,
                                     4};
    Firebird::IBlob* blob = session.attachment()->createBlob(&session.status(), transaction, &id,
                                                             slot.textBlob ? sizeof textBpb : 0,
                                                             slot.textBlob ? textBpb : nullptr);
    try {
        for (std::size_t at = 0; at < bytes.size(); at += kSegmentBytes) {
            const std::size_t length = std::min(kSegmentBytes, bytes.size() - at);
            blob->putSegment(&session.status(), static_cast<unsigned>(length), bytes.data() + at);
        }
        blob->close(&session.status());
    } catch (const Firebird::FbException&) {
        blob->release();
        throw;
    }
    std::memcpy(message + slot.offset, &id, sizeof id);
}

} // namespace

DatabaseTarget::DatabaseTarget(Session& session, const StructureLines& lines,
                               const TableLoadOptions& options)
    : m_session(session), m_lines(lines), m_options(options) {}

DatabaseTarget::~DatabaseTarget() {
    release(m_single);
    release(m_block);
    abandon(m_transaction);
}

void DatabaseTarget::release(Insert& insert) noexcept {
    if (insert.metadata != nullptr)
        insert.metadata->release();
    if (insert.statement != nullptr) {
        try {
            insert.statement->free(&m_session.status());
        } catch (const Firebird::FbException&) {
            insert.statement->release();
        }
    }
    insert = Insert{};
}

std::string DatabaseTarget::insertSql() const {
    std::string sql = "INSERT INTO ";
    firebird::appendIdentifier(sql, m_lines.tableName);
    sql += " (";
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (i > 0)
            sql += ',';
        firebird::appendIdentifier(sql, m_columns[i].name);
    }
    sql += ") VALUES (";
    return sql;
}

std::string DatabaseTarget::blockSql(unsigned rows) const {
    std::string sql = "EXECUTE BLOCK (";
    const std::size_t count = m_columns.size();
    for (std::size_t p = 0; p < rows * count; ++p) {
        if (p > 0)
            sql += ',';
        sql += 'P' + std::to_string(p) + ' ' + m_columns[p % count].type + " = ?";
    }
    sql += ") AS BEGIN\n";
    const std::string insert = insertSql();
    for (std::size_t row = 0; row < rows; ++row) {
        sql += insert;
        for (std::size_t c = 0; c < count; ++c)
            sql += (c > 0 ? ",:P" : ":P") + std::to_string(row * count + c);
        sql += ");\n";
    }
    sql += "END";
    return sql;
}

void DatabaseTarget::prepare(Insert& insert, const std::string& sql, unsigned rows) {
    auto& status = m_session.status();
    insert.statement = m_session.attachment()->prepare(
        &status, m_transaction, static_cast<unsigned>(sql.size()), sql.c_str(), 3,
        Firebird::IStatement::PREPARE_PREFETCH_METADATA);
    insert.metadata = insert.statement->getInputMetadata(&status);
    insert.slots = slotsOf(insert.metadata, status);
    insert.message.assign(insert.metadata->getMessageLength(&status), 0);
    insert.rows = rows;
}

void DatabaseTarget::beginTable(TTable& table) {
    m_columns.clear();
    for (int i = 0; i < table.FieldCount(); ++i) {
        const TField& field = table.Fields(i);
        const auto def = static_cast<std::size_t>(field.FieldNo() - 1);
        if (def >= m_lines.columnNames.size())
            throw LoadError("the field " + field.FieldName() + " has no column in the table");
        const TFieldDef& definition = table.FieldDefs()[static_cast<int>(def)];
        const firebird::ColumnType columnType =
            firebird::columnTypeOf(definition.DataType, definition.Size);
        std::string type;
        firebird::appendColumnType(type, columnType);
        m_columns.push_back({&field, m_lines.columnNames[def], type,
                             firebird::blankIsEmptyText(columnType, m_lines.notNull[def])});
    }
    firebirdCall("the rows cannot be inserted", [&] {
        m_transaction = m_session.startTransaction(true);
        std::string sql = insertSql();
        for (std::size_t c = 0; c < m_columns.size(); ++c)
            sql += c > 0 ? ",?" : "?";
        sql += ')';
        prepare(m_single, sql, 1);
        if (m_options.rowsPerStatement > 1) {
            const unsigned rowBytes = std::max(1u, static_cast<unsigned>(m_single.message.size()));
            const unsigned columns = std::max(1u, static_cast<unsigned>(m_columns.size()));
            const unsigned rows =
                std::min({m_options.rowsPerStatement, kBlockMessageBytes / rowBytes,
                          kBlockParameters / columns});
            if (rows > 1)
                prepare(m_block, blockSql(rows), rows);
        }
    });
}

void DatabaseTarget::encodeRow(Insert& insert, unsigned row, std::uint64_t record,
                               ExportResult& result) {
    const std::size_t count = m_columns.size();
    for (std::size_t c = 0; c < count; ++c) {
        const Column& column = m_columns[c];
        const Slot& slot = insert.slots[row * count + c];
        std::string_view blob;
        switch (encodeValue(column.field->value(), slot, column.blankIsEmptyText,
                            insert.message.data(), blob, m_session.util())) {
        case Encoded::Value:
        case Encoded::Null:
            break;
        case Encoded::Unholdable:
            result.addNull(record, column.field->FieldName());
            break;
        case Encoded::Blob:
            storeBlob(m_session, m_transaction, slot, blob, insert.message.data());
            break;
        }
    }
}

void DatabaseTarget::execute(Insert& insert, std::uint64_t rows) {
    auto& status = m_session.status();
    insert.statement->execute(&status, m_transaction, insert.metadata, insert.message.data(),
                              nullptr, nullptr);
    m_uncommitted += rows;
    if (m_uncommitted >= m_options.rowsPerCommit) {
        // a long load holds no more than this many rows in one transaction
        m_transaction->commit(&status);
        m_transaction = nullptr;
        m_transaction = m_session.startTransaction(true);
        m_uncommitted = 0;
    }
}

void DatabaseTarget::writeRecord(TTable& /*table*/, std::uint64_t record, ExportResult& result) {
    firebirdCall("record " + std::to_string(record) + " cannot be inserted", [&] {
        if (m_block.statement == nullptr) {
            encodeRow(m_single, 0, record, result);
            execute(m_single, 1);
            return;
        }
        encodeRow(m_block, m_pending, record, result);
        if (++m_pending == m_block.rows) {
            execute(m_block, m_pending);
            m_pending = 0;
        }
    });
}

void DatabaseTarget::endTable(TTable& /*table*/, ExportResult& /*result*/) {
    firebirdCall("the last rows cannot be inserted", [&] {
        // the rows of an unfinished group, one at a time, copied from the group's message
        if (m_pending > 0) {
            const std::size_t count = m_columns.size();
            for (unsigned row = 0; row < m_pending; ++row) {
                for (std::size_t c = 0; c < count; ++c) {
                    const Slot& from = m_block.slots[row * count + c];
                    const Slot& to = m_single.slots[c];
                    std::memcpy(m_single.message.data() + to.nullOffset,
                                m_block.message.data() + from.nullOffset, sizeof(ISC_SHORT));
                    std::memcpy(
                        m_single.message.data() + to.offset, m_block.message.data() + from.offset,
                        from.type == SQL_VARYING ? from.length + sizeof(ISC_USHORT) : from.length);
                }
                execute(m_single, 1);
            }
            m_pending = 0;
        }
        m_transaction->commit(&m_session.status());
        m_transaction = nullptr;
    });
}

} // namespace vorendal::loader
