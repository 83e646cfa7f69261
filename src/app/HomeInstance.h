#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace app {

// One running program per home directory. The first program on a home holds
// a lock and listens on a local socket named after the home; a second one
// finds the lock, asks the first to come to the front and leaves.
class HomeInstance final : public QObject
{
    Q_OBJECT
public:
    explicit HomeInstance(const QString &home, QObject *parent = nullptr);
    ~HomeInstance() override;

    enum class Claim { First, OtherRaised, OtherSilent };
    // First: this program owns the home and listens. OtherRaised: another
    // program owns it and was told to come to the front. OtherSilent: another
    // program holds the home but did not answer within the time-out.
    Claim claim();

    QString socketPath() const { return m_socketPath; }

signals:
    // A second program on this home asked for the window.
    void raiseRequested();

private:
    bool askOtherToRaise();

    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
};

// The socket path for a home: the user's runtime directory and a digest of
// the home's canonical path.
QString homeSocketPath(const QString &home);

} // namespace app
