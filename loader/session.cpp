#include "loader/session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <vector>

#include <ibase.h>

namespace vorendal::loader {
namespace {

Firebird::IMaster* master() {
    static Firebird::IMaster* const instance = Firebird::fb_get_master_interface();
    return instance;
}

// Owns an XPB builder for as long as the parameter block is used.
class ParameterBlock {
public:
    ParameterBlock(Firebird::ThrowStatusWrapper& status, unsigned kind) : m_status(status) {
        m_builder = master()->getUtilInterface()->getXpbBuilder(&status, kind, nullptr, 0);
    }
    ~ParameterBlock() { m_builder->dispose(); }
    ParameterBlock(const ParameterBlock&) = delete;
    ParameterBlock& operator=(const ParameterBlock&) = delete;

    void text(unsigned char tag, const std::string& value) {
        m_builder->insertString(&m_status, tag, value.c_str());
    }
    void number(unsigned char tag, int value) { m_builder->insertInt(&m_status, tag, value); }
    void flag(unsigned char tag) { m_builder->insertTag(&m_status, tag); }
    unsigned length() { return m_builder->getBufferLength(&m_status); }
    const unsigned char* bytes() { return m_builder->getBuffer(&m_status); }

private:
    Firebird::ThrowStatusWrapper& m_status;
    Firebird::IXpbBuilder* m_builder;
};

void addLogin(ParameterBlock& dpb, const ConnectionSettings& settings) {
    if (!settings.user.empty())
        dpb.text(isc_dpb_user_name, settings.user);
    if (!settings.password.empty())
        dpb.text(isc_dpb_password, settings.password);
    // every text travels as UTF-8, whatever the columns keep
    dpb.text(isc_dpb_lc_ctype, "UTF8");
}

int confirmShutdown(const int reason, const int /*mask*/, void* flag) {
    if (reason != fb_shutrsn_signal)
        return 0;
    static_cast<std::atomic<bool>*>(flag)->store(true);
    return 1; // not now
}

} // namespace

void interruptInsteadOfShutdown(std::atomic<bool>* flag) {
    ISC_STATUS_ARRAY status{};
    fb_shutdown_callback(status, confirmShutdown, fb_shut_confirmation, flag);
}

void abandon(Firebird::ITransaction* transaction) noexcept {
    if (transaction == nullptr)
        return;
    Firebird::ThrowStatusWrapper status(master()->getStatus());
    try {
        transaction->rollback(&status);
    } catch (const Firebird::FbException&) {
        transaction->release();
    }
    status.dispose();
}

bool isServerDatabase(std::string_view database) {
    // Firebird reads what comes before a colon as the server (and its port after a "/")
    return !database.empty() && database.front() != '/' &&
           database.find(':') != std::string_view::npos;
}

std::string firebirdMessage(Firebird::IStatus* status) {
    char buffer[2048];
    master()->getUtilInterface()->formatStatus(buffer, sizeof buffer, status);
    std::string text;
    for (const char* line = buffer; *line != '\0';) {
        const char* end = std::strchr(line, '\n');
        const std::size_t length = end ? static_cast<std::size_t>(end - line) : std::strlen(line);
        if (length > 0) {
            if (!text.empty())
                text += " - ";
            text.append(line, length);
        }
        line += length + (end ? 1 : 0);
    }
    return text;
}

Session::Session() : m_status(master()->getStatus()) {}

Session::~Session() {
    if (m_attachment != nullptr) {
        try {
            m_attachment->detach(&m_status);
        } catch (const Firebird::FbException&) {
            m_attachment->release(); // the connection is gone already: let go of the handle
        }
    }
    m_status.dispose();
}

std::unique_ptr<Session> Session::create(const ConnectionSettings& settings) {
    std::unique_ptr<Session> session(new Session);
    firebirdCall("the database " + settings.database + " cannot be created", [&] {
        ParameterBlock dpb(session->m_status, Firebird::IXpbBuilder::DPB);
        addLogin(dpb, settings);
        dpb.number(isc_dpb_sql_dialect, 3);
        dpb.text(isc_dpb_set_db_charset, "UTF8");
        // A new database fills faster without a disk flush on every page write; the load
        // turns them on again when it is done (makeDurable).
        dpb.number(isc_dpb_force_write, 0);
        session->m_attachment = master()->getDispatcher()->createDatabase(
            &session->m_status, settings.database.c_str(), dpb.length(), dpb.bytes());
    });
    return session;
}

std::unique_ptr<Session> Session::attach(const ConnectionSettings& settings) {
    std::unique_ptr<Session> session(new Session);
    firebirdCall("the database " + settings.database + " cannot be opened", [&] {
        ParameterBlock dpb(session->m_status, Firebird::IXpbBuilder::DPB);
        addLogin(dpb, settings);
        session->m_attachment = master()->getDispatcher()->attachDatabase(
            &session->m_status, settings.database.c_str(), dpb.length(), dpb.bytes());
    });
    return session;
}

void Session::makeDurable(const ConnectionSettings& settings) {
    {
        Session session; // attached for the setting only
        firebirdCall("the database " + settings.database + " cannot be set to forced writes", [&] {
            ParameterBlock dpb(session.m_status, Firebird::IXpbBuilder::DPB);
            addLogin(dpb, settings);
            dpb.number(isc_dpb_force_write, 1);
            session.m_attachment = master()->getDispatcher()->attachDatabase(
                &session.m_status, settings.database.c_str(), dpb.length(), dpb.bytes());
        });
    }
    if (isServerDatabase(settings.database))
        return; // the server's own file: its system writes it out
    const int file = ::open(settings.database.c_str(), O_RDONLY);
    if (file < 0)
        return;
    ::fsync(file);
    ::close(file);
}

Firebird::IUtil* Session::util() const {
    return master()->getUtilInterface();
}

Firebird::ITransaction* Session::startTransaction(bool bulk) {
    return firebirdCall({}, [&] {
        ParameterBlock tpb(m_status, Firebird::IXpbBuilder::TPB);
        tpb.flag(isc_tpb_read_committed);
        tpb.flag(isc_tpb_rec_version);
        tpb.flag(isc_tpb_write);
        tpb.flag(isc_tpb_wait);
        if (bulk)
            tpb.flag(isc_tpb_no_auto_undo);
        return m_attachment->startTransaction(&m_status, tpb.length(), tpb.bytes());
    });
}

void Session::execute(std::string_view sql) {
    // Statements that change the database's structure write the same system tables: two
    // connections running them at once would fail each other with update conflicts.
    static std::mutex structureChanges;
    const std::lock_guard lock(structureChanges);
    Firebird::ITransaction* transaction = startTransaction(false);
    firebirdCall({}, [&] {
        try {
            m_attachment->execute(&m_status, transaction, static_cast<unsigned>(sql.size()),
                                  sql.data(), 3, nullptr, nullptr, nullptr, nullptr);
            transaction->commit(&m_status);
        } catch (const Firebird::FbException&) {
            abandon(transaction);
            throw;
        }
    });
}

std::int64_t Session::count(std::string_view sql, std::string_view textParameter) {
    Firebird::ITransaction* transaction = startTransaction(false);
    std::int64_t result = 0;
    firebirdCall({}, [&] {
        Firebird::IStatement* statement = nullptr;
        Firebird::IMessageMetadata* in = nullptr;
        Firebird::IMessageMetadata* out = nullptr;
        Firebird::IResultSet* cursor = nullptr;
        try {
            statement = m_attachment->prepare(&m_status, transaction,
                                              static_cast<unsigned>(sql.size()), sql.data(), 3,
                                              Firebird::IStatement::PREPARE_PREFETCH_METADATA);
            // the parameter as a plain VARCHAR of its own length, the result as BIGINT
            Firebird::IMetadataBuilder* builder =
                master()->getMetadataBuilder(&m_status, textParameter.empty() ? 0 : 1);
            if (!textParameter.empty()) {
                builder->setType(&m_status, 0, SQL_VARYING);
                builder->setLength(&m_status, 0, static_cast<unsigned>(textParameter.size()));
                builder->setCharSet(&m_status, 0, 4); // UTF8
            }
            in = builder->getMetadata(&m_status);
            builder->release();
            builder = master()->getMetadataBuilder(&m_status, 1);
            builder->setType(&m_status, 0, SQL_INT64 + 1);
            builder->setLength(&m_status, 0, sizeof(ISC_INT64));
            builder->setScale(&m_status, 0, 0);
            out = builder->getMetadata(&m_status);
            builder->release();
            std::vector<unsigned char> inBuffer(in->getMessageLength(&m_status));
            if (!textParameter.empty()) {
                const auto length = static_cast<ISC_USHORT>(textParameter.size());
                std::memcpy(&inBuffer[in->getOffset(&m_status, 0)], &length, sizeof length);
                std::memcpy(&inBuffer[in->getOffset(&m_status, 0) + sizeof length],
                            textParameter.data(), textParameter.size());
                const ISC_SHORT notNull = 0;
                std::memcpy(&inBuffer[in->getNullOffset(&m_status, 0)], &notNull, sizeof notNull);
            }
            std::vector<unsigned char> outBuffer(out->getMessageLength(&m_status));
            cursor = statement->openCursor(&m_status, transaction, in, inBuffer.data(), out, 0);
            if (cursor->fetchNext(&m_status, outBuffer.data()) == Firebird::IStatus::RESULT_OK)
                std::memcpy(&result, &outBuffer[out->getOffset(&m_status, 0)], sizeof result);
            cursor->close(&m_status);
            cursor = nullptr;
            statement->free(&m_status);
            statement = nullptr;
            in->release();
            out->release();
            transaction->commit(&m_status);
        } catch (const Firebird::FbException&) {
            if (cursor != nullptr)
                cursor->release();
            if (statement != nullptr)
                statement->release();
            if (in != nullptr)
                in->release();
            if (out != nullptr)
                out->release();
            abandon(transaction);
            throw;
        }
    });
    return result;
}

} // namespace vorendal::loader
