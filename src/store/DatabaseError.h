#pragma once

#include <QString>

#include <stdexcept>

// Any failure of the catalogue database: opening, a statement, a write.
// `code` is SQLite's result code where there is one, else -1.
class DatabaseError final : public std::runtime_error
{
public:
    DatabaseError(const QString &text, int code = -1);

    QString text() const { return m_text; }
    int code() const { return m_code; }

private:
    QString m_text;
    int m_code;
};
