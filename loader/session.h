#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include <firebird/Interface.h>

#include "loader/loaderror.h"

namespace vorendal::loader {

// Where and as whom to connect. database: a plain path reaches the embedded engine in this
// process; "host:/path" and "host/port:/path" a Firebird server.
struct ConnectionSettings {
    std::string database;
    std::string user;     // empty: none given
    std::string password; // empty: none given; never shown anywhere
};

// True for a database on a server ("host:/path", "host/port:/path", "inet://..."), false for a
// path the embedded engine opens.
bool isServerDatabase(std::string_view database);

// The text of a failure Firebird reported, its lines joined by " - ".
std::string firebirdMessage(Firebird::IStatus* status);

// Firebird's client library takes Ctrl+C (SIGINT) and SIGTERM for itself and closes every
// connection at once; from this call on it asks first, and the answer is to set flag instead and
// go on, so that the load can drop what it has half done.
void interruptInsteadOfShutdown(std::atomic<bool>* flag);

// Rolls the transaction back, or lets go of it when even that fails (the connection is lost).
void abandon(Firebird::ITransaction* transaction) noexcept;

// One attachment to a database with the status it reports through; used by one thread at a
// time. Every method throws LoadError with Firebird's message.
class Session {
public:
    // A new database: dialect 3, default character set UTF8.
    static std::unique_ptr<Session> create(const ConnectionSettings& settings);
    // An existing database.
    static std::unique_ptr<Session> attach(const ConnectionSettings& settings);
    // A database that create() made, once every connection to it is closed: its writes are
    // forced from now on (it was filled without), and a file of this machine is flushed to disk.
    static void makeDurable(const ConnectionSettings& settings);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Firebird::IAttachment* attachment() const { return m_attachment; }
    Firebird::ThrowStatusWrapper& status() { return m_status; }
    Firebird::IUtil* util() const;

    // A transaction for loading rows: no undo log (a failed table is dropped whole instead), or
    // a plain one for statements about the database's structure.
    Firebird::ITransaction* startTransaction(bool bulk);
    // Runs one statement without parameters in a transaction of its own, committed.
    void execute(std::string_view sql);
    // The one integer a query such as SELECT COUNT(*) gives, its text parameters bound in order.
    std::int64_t count(std::string_view sql, std::string_view textParameter = {});

private:
    Session();

    Firebird::ThrowStatusWrapper m_status;
    Firebird::IAttachment* m_attachment = nullptr;
};

// Calls body with the session's status; a Firebird failure comes out as LoadError whose message
// is what (may be empty) followed by Firebird's words.
template <typename Body> auto firebirdCall(std::string_view what, Body&& body) {
    try {
        return body();
    } catch (const Firebird::FbException& e) {
        std::string message(what);
        if (!message.empty())
            message += ": ";
        message += firebirdMessage(e.getStatus());
        throw LoadError(message);
    }
}

} // namespace vorendal::loader
