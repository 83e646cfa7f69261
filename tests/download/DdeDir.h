#pragma once

#include <QByteArray>
#include <QTemporaryDir>

// A service directory of the test's own, so that no manager of the user's
// answers, and a data folder of its own, so that the managers it starts keep
// their lists there and not in the user's; programs the test starts inherit
// both.
class DdeDir final
{
public:
    DdeDir() : m_dataHome(qgetenv("XDG_DATA_HOME")), m_hadDataHome(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
    {
        qputenv("FLASHBAR_DDE_DIR", (m_dir.path() + QStringLiteral("/dde")).toUtf8());
        qputenv("XDG_DATA_HOME", (m_dir.path() + QStringLiteral("/data")).toUtf8());
    }
    ~DdeDir()
    {
        qunsetenv("FLASHBAR_DDE_DIR");
        if (m_hadDataHome)
            qputenv("XDG_DATA_HOME", m_dataHome);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_dataHome;
    bool m_hadDataHome;
};
