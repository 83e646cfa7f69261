#pragma once

#include <QProcess>
#include <QString>

namespace app {

// The demo site on this machine. When our own site belongs at the site's
// address (a local one: http on 127.0.0.1 or localhost) and nothing answers
// there, the program starts the site's program for its home in the
// background and ends it when it ends; the site also ends by itself once the
// program is gone.
class LocalSite final
{
public:
    enum class State {
        Elsewhere,     // the address is not a local one: nothing to do
        AlreadyServed, // our site answers there already
        Started,       // started, and listening
        PortTaken,     // another program holds the port
        NoCatalogue,   // the home has no catalogue the site can serve
        Failed,        // the site's program is missing or did not start
    };

    LocalSite() = default;
    ~LocalSite();
    LocalSite(const LocalSite &) = delete;
    LocalSite &operator=(const LocalSite &) = delete;

    // The port of a local site address, or 0 when the address is not one.
    static quint16 localPort(const QString &address);

    // Makes our site answer at `address`, starting `program` for `home`
    // when nothing answers; waits at most `waitMs` for it to listen. On
    // PortTaken, NoCatalogue and Failed, `error` says why in the program's
    // own words; what the site's program said goes to stderr.
    State ensure(const QString &address, const QString &home, const QString &program, QString *error,
                 int waitMs = 15000);

    // The site's process while it runs, else 0.
    qint64 processId() const { return m_process.processId(); }
    // Ends the site this object started (if any) and waits for it.
    void stop();

private:
    State startSite(quint16 port, const QString &home, const QString &program, QString *error, int waitMs);
    void discardOutput();

    QProcess m_process;
};

} // namespace app
