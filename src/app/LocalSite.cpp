#include "app/LocalSite.h"

#include "common/Paths.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QTcpSocket>
#include <QUrl>

#include <cstdio>

namespace app {
namespace {

constexpr int kProbeMs = 3000;
// The page by which the demo site tells itself from other programs.
const QByteArray kIdentityPath = "/flashbar-site";

enum class Port { Free, OurSite, Foreign };

// Whether something listens on 127.0.0.1:port, and whether it is our site.
// Bounded in time: a program that accepts and never answers is foreign.
Port probe(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    if (!socket.waitForConnected(kProbeMs))
        return Port::Free;
    socket.write("GET " + kIdentityPath + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                 "\r\nConnection: close\r\n\r\n");
    const auto ours = [](const QByteArray &answer) {
        return answer.startsWith("HTTP/1.1 200") && answer.contains("\r\n\r\nflashbar-site");
    };
    QByteArray answer;
    const QDeadlineTimer deadline(kProbeMs);
    while (!ours(answer) && !deadline.hasExpired() && socket.state() == QAbstractSocket::ConnectedState &&
           answer.size() < 65536) {
        if (socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            answer += socket.readAll();
    }
    answer += socket.readAll();
    return ours(answer) ? Port::OurSite : Port::Foreign;
}

} // namespace

LocalSite::~LocalSite()
{
    stop();
}

quint16 LocalSite::localPort(const QString &address)
{
    const QUrl url(address);
    const QString host = url.host();
    if (url.scheme() != QLatin1String("http") ||
        (host != QLatin1String("127.0.0.1") && host != QLatin1String("localhost")))
        return 0;
    const int port = url.port(80);
    return port > 0 && port < 65536 ? quint16(port) : 0;
}

LocalSite::State LocalSite::ensure(const QString &address, const QString &home, const QString &program, QString *error,
                                   int waitMs)
{
    const quint16 port = localPort(address);
    if (port == 0)
        return State::Elsewhere;
    switch (probe(port)) {
    case Port::OurSite:
        return State::AlreadyServed;
    case Port::Foreign:
        *error = QStringLiteral("另一个程序占用了 %1").arg(address);
        return State::PortTaken;
    case Port::Free:
        break;
    }
    return startSite(port, home, program, error, waitMs);
}

LocalSite::State LocalSite::startSite(quint16 port, const QString &home, const QString &program, QString *error,
                                      int waitMs)
{
    if (program.isEmpty() || !QFileInfo(program).isExecutable()) {
        *error = QStringLiteral("没有找到网站程序 flashbar-site");
        return State::Failed;
    }
    // The site watches that the program is its parent, and ends when not.
    m_process.setProgram(program);
    m_process.setArguments({QStringLiteral("--home"), home, QStringLiteral("--port"), QString::number(port),
                            QStringLiteral("--parent"), QString::number(QCoreApplication::applicationPid())});
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.start();
    QByteArray said;
    const QDeadlineTimer deadline(waitMs);
    while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        m_process.waitForReadyRead(100);
        said += m_process.readAllStandardOutput();
        if (said.contains("serving ")) {
            discardOutput();
            return State::Started;
        }
    }
    const bool ended = m_process.state() == QProcess::NotRunning;
    const bool noCatalogue =
        ended && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == common::kSiteNoCatalogueExit;
    const QByteArray complaint = m_process.readAllStandardError().trimmed();
    if (!complaint.isEmpty())
        std::fprintf(stderr, "%s\n", complaint.constData());
    stop();
    if (noCatalogue) {
        *error = QStringLiteral("%1 中没有可用的数据库").arg(QDir::toNativeSeparators(home));
        return State::NoCatalogue;
    }
    *error = ended ? QStringLiteral("网站程序 flashbar-site 没有开始服务就退出了")
                   : QStringLiteral("网站程序 flashbar-site 在 %1 秒内没有开始服务").arg((waitMs + 999) / 1000);
    // Another program may have taken the port since it was probed.
    return probe(port) == Port::Foreign ? State::PortTaken : State::Failed;
}

void LocalSite::discardOutput()
{
    // What the running site says is not kept, however long it runs.
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                     [this] { m_process.readAllStandardOutput(); });
    QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process,
                     [this] { m_process.readAllStandardError(); });
}

void LocalSite::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

} // namespace app
