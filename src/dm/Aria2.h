#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonValue>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class QProcess;
class QTimer;

namespace dm {

// An aria2c of our own, spoken to over its JSON-RPC on 127.0.0.1. It listens
// on a free port chosen at start and takes only calls with a secret, both
// written to a configuration file that only the user can read. It ends with
// this program, even when this program is killed.
class Aria2 final : public QObject
{
    Q_OBJECT
public:
    // The result of a call, or its error text (empty on success).
    using Callback = std::function<void(const QJsonValue &result, const QString &error)>;

    explicit Aria2(QString program = QStringLiteral("aria2c"), QObject *parent = nullptr);
    ~Aria2() override;

    // aria2 keeps its unfinished downloads in this file as they change, and
    // reads them back at its first start (not after a crash of its own:
    // the list then says what was lost). Set before start().
    void setSessionFile(const QString &path) { m_sessionFile = path; }

    // Global options (speed limit, connections, ...): taken at each start,
    // and at once by a running aria2.
    void setOptions(const QMap<QString, QString> &options);

    // Starts aria2c unless it runs or is starting. Calls made meanwhile wait
    // until it answers.
    void start();
    bool isReady() const { return m_ready; }
    qint64 processId() const;
    QString version() const { return m_version; }

    void call(const QString &method, const QJsonArray &params, Callback done);

signals:
    void ready();
    // aria2c ended or could not be started; calls waiting for it have failed.
    void stopped(const QString &reason);

private:
    struct Call
    {
        QString method;
        QJsonArray params;
        Callback done;
    };
    void post(const Call &call);
    void probe();
    void processEnded(const QString &reason);

    // Its global options and session, as lines of its configuration.
    QString ownOptions();

    QString m_program;
    QString m_sessionFile;
    QMap<QString, QString> m_options;
    bool m_sessionRead = false;
    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess *m_process = nullptr;
    QNetworkAccessManager *m_network;
    QTimer *m_probe;
    int m_probesLeft = 0;
    bool m_probing = false;
    quint16 m_port = 0;
    QByteArray m_secret;
    bool m_ready = false;
    QString m_version;
    QList<Call> m_waiting;
    int m_nextId = 1;
};

} // namespace dm
