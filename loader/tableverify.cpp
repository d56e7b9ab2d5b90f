#include "loader/tableverify.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <ibase.h>

#include "firebird/firebirdliterals.h"
#include "firebird/firebirdtypes.h"
#include "loader/rowmessage.h"
#include "loader/session.h"
#include "scripts/structurescript.h"
#include "source/ttable.h"

namespace vorendal::loader {
namespace {

std::string blobBytes(Session& session, Firebird::ITransaction* transaction,
                      const unsigned char* message, const Slot& slot) {
    ISC_QUAD id;
    std::memcpy(&id, message + slot.offset, sizeof id);
    Firebird::IBlob* blob =
        session.attachment()->openBlob(&session.status(), transaction, &id, 0, nullptr);
    std::string bytes;
    char segment[32768];
    try {
        for (;;) {
            unsigned length = 0;
            const int result =
                blob->getSegment(&session.status(), sizeof segment, segment, &length);
            if (result == Firebird::IStatus::RESULT_NO_DATA)
                break;
            bytes.append(segment, length);
        }
        blob->close(&session.status());
    } catch (const Firebird::FbException&) {
        blob->release();
        throw;
    }
    return bytes;
}

bool sameValue(const unsigned char* expected, const unsigned char* loaded, const Slot& slot) {
    if (isNull(expected, slot) || isNull(loaded, slot))
        return isNull(expected, slot) == isNull(loaded, slot);
    std::size_t length = slot.length;
    if (slot.type == SQL_VARYING) {
        ISC_USHORT text = 0;
        std::memcpy(&text, expected + slot.offset, sizeof text);
        length = sizeof text + text;
    }
    return std::memcmp(expected + slot.offset, loaded + slot.offset, length) == 0;
}

// The bytes of a value in its slot of a message, as sameValue() compares them.
std::string_view slotBytes(const unsigned char* message, const Slot& slot) {
    std::size_t length = slot.length;
    if (slot.type == SQL_VARYING) {
        ISC_USHORT text = 0;
        std::memcpy(&text, message + slot.offset, sizeof text);
        length = sizeof text + std::min<std::size_t>(text, slot.length);
    }
    return {reinterpret_cast<const char*>(message + slot.offset), length};
}

// One row's values folded into a number: rows of equal values give equal numbers.
class RowHash {
public:
    void addNull() { mix(0x6e756c6cu); }
    void addBytes(std::string_view bytes) { mix(std::hash<std::string_view>{}(bytes)); }
    std::uint64_t value() const { return m_value; }

private:
    void mix(std::uint64_t h) {
        m_value = (m_value ^ h) * 0x9E3779B97F4A7C15u + 0x632BE59BD9B4E019u;
    }
    std::uint64_t m_value = 0xCBF29CE484222325u;
};

} // namespace

void verifyRows(Session& session, TTable& table, const StructureLines& lines) {
    auto& status = session.status();
    std::vector<const TField*> fields;
    std::vector<bool> blankIsEmpty;
    std::string sql = "SELECT ";
    for (int i = 0; i < table.FieldCount(); ++i) {
        const TField& field = table.Fields(i);
        fields.push_back(&field);
        const auto def = static_cast<std::size_t>(field.FieldNo() - 1);
        const bool notNull = lines.notNull.at(def); // checks def before it indexes the defs
        const TFieldDef& definition = table.FieldDefs()[static_cast<int>(def)];
        blankIsEmpty.push_back(firebird::blankIsEmptyText(
            firebird::columnTypeOf(definition.DataType, definition.Size), notNull));
        if (i > 0)
            sql += ',';
        firebird::appendIdentifier(
            sql, lines.columnNames.at(static_cast<std::size_t>(field.FieldNo() - 1)));
    }
    sql += " FROM ";
    firebird::appendIdentifier(sql, lines.tableName);

    Firebird::ITransaction* transaction = session.startTransaction(false);
    Firebird::IStatement* statement = nullptr;
    Firebird::IMessageMetadata* metadata = nullptr;
    Firebird::IResultSet* cursor = nullptr;
    std::string mismatch;
    firebirdCall("the rows cannot be read back", [&] {
        try {
            statement = session.attachment()->prepare(
                &status, transaction, static_cast<unsigned>(sql.size()), sql.c_str(), 3,
                Firebird::IStatement::PREPARE_PREFETCH_METADATA);
            metadata = statement->getOutputMetadata(&status);
            const std::vector<Slot> slots = slotsOf(metadata, status);
            std::vector<unsigned char> loaded(metadata->getMessageLength(&status));
            std::vector<unsigned char> expected(loaded.size());
            cursor = statement->openCursor(&status, transaction, nullptr, nullptr, metadata, 0);
            std::uint64_t record = 0;
            // Rows come back in the order Firebird keeps them, which is mostly, not always, the
            // order they went in (a row may fill a gap in an earlier page; tables loaded side by
            // side share the pages): they are compared in turn, and on a difference compared as
            // a whole, whatever their order.
            auto tableRow = [&] {
                RowHash hash;
                for (std::size_t c = 0; c < fields.size(); ++c) {
                    std::string_view blob;
                    const Encoded encoded =
                        encodeValue(fields[c]->value(), slots[c], blankIsEmpty[c], expected.data(),
                                    blob, session.util());
                    if (encoded == Encoded::Blob)
                        hash.addBytes(blob);
                    else if (isNull(expected.data(), slots[c]))
                        hash.addNull();
                    else
                        hash.addBytes(slotBytes(expected.data(), slots[c]));
                }
                return hash.value();
            };
            auto loadedRow = [&] {
                RowHash hash;
                for (const Slot& slot : slots) {
                    if (isNull(loaded.data(), slot))
                        hash.addNull();
                    else if (slot.type == SQL_BLOB)
                        hash.addBytes(blobBytes(session, transaction, loaded.data(), slot));
                    else
                        hash.addBytes(slotBytes(loaded.data(), slot));
                }
                return hash.value();
            };
            auto compareWhole = [&] {
                cursor->close(&status);
                cursor = nullptr;
                std::vector<std::uint64_t> rows;
                cursor = statement->openCursor(&status, transaction, nullptr, nullptr, metadata, 0);
                while (cursor->fetchNext(&status, loaded.data()) == Firebird::IStatus::RESULT_OK)
                    rows.push_back(loadedRow());
                std::sort(rows.begin(), rows.end());
                std::vector<std::pair<std::uint64_t, std::uint64_t>> records; // value, record
                record = 0;
                for (table.First(); !table.Eof(); table.Next())
                    records.emplace_back(tableRow(), ++record);
                std::sort(records.begin(), records.end());
                std::size_t r = 0;
                for (const auto& [value, number] : records) {
                    if (r < rows.size() && rows[r] == value) {
                        ++r;
                        continue;
                    }
                    return "record " + std::to_string(number) +
                           ": no row read back holds its values";
                }
                if (records.size() != rows.size())
                    return "the table has " + std::to_string(rows.size()) + " rows for the " +
                           std::to_string(records.size()) + " records of the file";
                return std::string();
            };
            for (table.First(); !table.Eof() && mismatch.empty(); table.Next()) {
                ++record;
                if (cursor->fetchNext(&status, loaded.data()) != Firebird::IStatus::RESULT_OK) {
                    mismatch = "record " + std::to_string(record) + " has no row";
                    break;
                }
                for (std::size_t c = 0; c < fields.size() && mismatch.empty(); ++c) {
                    std::string_view blob;
                    const Encoded encoded =
                        encodeValue(fields[c]->value(), slots[c], blankIsEmpty[c], expected.data(),
                                    blob, session.util());
                    const bool same =
                        encoded == Encoded::Blob
                            ? !isNull(loaded.data(), slots[c]) &&
                                  blobBytes(session, transaction, loaded.data(), slots[c]) == blob
                            : sameValue(expected.data(), loaded.data(), slots[c]);
                    if (!same)
                        mismatch = "record " + std::to_string(record) + ", column " +
                                   lines.columnNames.at(
                                       static_cast<std::size_t>(fields[c]->FieldNo() - 1)) +
                                   ": the value read back differs from the table's";
                }
            }
            if (mismatch.empty() &&
                cursor->fetchNext(&status, loaded.data()) == Firebird::IStatus::RESULT_OK)
                mismatch = "the table has more rows than the " + std::to_string(record) +
                           " records of the file";
            if (!mismatch.empty()) {
                const std::string whole = compareWhole();
                if (!whole.empty())
                    mismatch = whole + " (in order: " + mismatch + ")";
                else
                    mismatch.clear(); // the same rows, in another order
            }
            cursor->close(&status);
            cursor = nullptr;
            metadata->release();
            metadata = nullptr;
            statement->free(&status);
            statement = nullptr;
            transaction->commit(&status);
            transaction = nullptr;
        } catch (...) {
            if (cursor != nullptr)
                cursor->release();
            if (metadata != nullptr)
                metadata->release();
            if (statement != nullptr)
                statement->release();
            abandon(transaction);
            throw;
        }
    });
    if (!mismatch.empty())
        throw LoadError("verification: " + mismatch);
}

} // namespace vorendal::loader
