#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Sets an environment variable for one test and puts the old value back.
class EnvVar final
{
public:
    EnvVar(const char *name, const QString &value) : m_name(name), m_had(qEnvironmentVariableIsSet(name))
    {
        m_old = qgetenv(name);
        set(value);
    }
    ~EnvVar()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    void set(const QString &value) const { qputenv(m_name, value.toUtf8()); }
    void unset() const { qunsetenv(m_name); }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};
