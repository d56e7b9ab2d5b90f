#pragma once

#include <exception>

#include "source/ttable.h"

namespace vorendal {

// One request (a click) that uses the table. When the request leaves by an exception, the table
// is closed on the way out, before the error reaches the user, so that the next request starts
// with it closed whatever the failure left open. Success leaves the table as the request did.
class TableRequest {
public:
    explicit TableRequest(TTable& table)
        : m_table(table), m_exceptions(std::uncaught_exceptions()) {}
    ~TableRequest() {
        if (std::uncaught_exceptions() > m_exceptions)
            m_table.Close();
    }
    TableRequest(const TableRequest&) = delete;
    TableRequest& operator=(const TableRequest&) = delete;

private:
    TTable& m_table;
    int m_exceptions;
};

} // namespace vorendal
