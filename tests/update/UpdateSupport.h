#pragma once

// What the companion's tests share: running flashbar-update, reading a
// catalogue's rows as text, and a scripted local HTTP server whose answers
// (or silence) each test chooses.

#include "Wait.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUuid>

#include <optional>

struct CompanionRun
{
    int exitCode = -1; // -1: it did not end in time
    QString output;
    qint64 ms = 0;
};

// Runs flashbar-update on a home against a site, the event loop running
// meanwhile (the test's own servers answer on it).
inline CompanionRun runCompanion(const QString &home, const QString &site, int timeoutMs = 5000)
{
    QProcess p;
    QElapsedTimer clock;
    clock.start();
    p.start(QStringLiteral(FLASHBAR_UPDATE), {QStringLiteral("--home"), home, QStringLiteral("--site"), site,
                                              QStringLiteral("--timeout"), QString::number(timeoutMs)});
    CompanionRun run;
    if (!waitFor([&] { return p.state() == QProcess::NotRunning; }, 60000)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.ms = clock.elapsed();
    run.output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return run;
}

// Every row of a catalogue's classes, columns and items, one text each:
// two snapshots are equal when nothing was written.
inline QStringList catalogueRows(const QString &home)
{
    QStringList rows;
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QDir(home).filePath(QStringLiteral("Data/info.db")));
        db.open();
        for (const QString &table :
             {QStringLiteral("tb_Class"), QStringLiteral("tb_Colume"), QStringLiteral("tb_Files")}) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(table));
            while (q.next()) {
                QStringList fields{table};
                for (int i = 0; i < q.record().count(); ++i)
                    fields << q.value(i).toString();
                rows << fields.join(u'|');
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

// A local HTTP server that answers each request for a feed by its first
// path segment (one per case) and its turn: the n-th request of a case gets
// its n-th answer, the last one repeating. An answer without a body and
// with status 0 is never given: the connection stays open and silent.
class ScriptedSite final
{
public:
    struct Answer
    {
        QByteArray body;
        int status = 200;
    };

    ScriptedSite()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
        });
    }
    void script(const QByteArray &name, QList<Answer> answers) { m_script.insert(name, std::move(answers)); }
    QString site(const QByteArray &name) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2/").arg(m_server.serverPort()).arg(QString::fromLatin1(name));
    }
    int requests(const QByteArray &name) const { return m_turns.value(name); }
    // The path and query of a case's latest request.
    QByteArray lastPath(const QByteArray &name) const { return m_paths.value(name); }

private:
    void answer(QTcpSocket *socket)
    {
        QByteArray &request = m_pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QByteArray path = request.split(' ').value(1);
        const QByteArray name = path.mid(1, path.indexOf('/', 1) - 1);
        m_pending.remove(socket);
        m_paths.insert(name, path);
        const QList<Answer> answers = m_script.value(name);
        const int turn = m_turns[name]++;
        if (answers.isEmpty())
            return;
        const Answer &a = answers.at(std::min<qsizetype>(turn, answers.size() - 1));
        if (a.status == 0)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(a.status) +
                      " X\r\nContent-Type: application/json\r\n"
                      "Content-Length: " +
                      QByteArray::number(a.body.size()) + "\r\nConnection: close\r\n\r\n");
        socket->write(a.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QByteArray, QList<Answer>> m_script;
    QHash<QByteArray, int> m_turns;
    QHash<QByteArray, QByteArray> m_paths;
    QHash<QTcpSocket *, QByteArray> m_pending;
};
