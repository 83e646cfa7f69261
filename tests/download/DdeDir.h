#pragma once

#include <QByteArray>
#include <QTemporaryDir>

// A service directory of the test's own, so that no manager of the user's
// answers; programs the test starts inherit it.
class DdeDir final
{
public:
    DdeDir() { qputenv("FLASHBAR_DDE_DIR", (m_dir.path() + QStringLiteral("/dde")).toUtf8()); }
    ~DdeDir() { qunsetenv("FLASHBAR_DDE_DIR"); }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};
