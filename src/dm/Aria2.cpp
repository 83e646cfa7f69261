#include "dm/Aria2.h"

#include "dm/DownloadSettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTimer>

namespace dm {

namespace {

constexpr int kProbeIntervalMs = 150;
constexpr int kProbeCount = 100; // 15 s for aria2c to open its port

quint16 freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

QByteArray newSecret()
{
    QByteArray bytes(24, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    return bytes.toHex();
}

} // namespace

Aria2::Aria2(QString program, QObject *parent)
    : QObject(parent), m_program(std::move(program)), m_network(new QNetworkAccessManager(this)),
      m_probe(new QTimer(this))
{
    m_options = aria2Options(DownloadSettings{});
    m_network->setProxy(QNetworkProxy::NoProxy);
    m_probe->setInterval(kProbeIntervalMs);
    connect(m_probe, &QTimer::timeout, this, &Aria2::probe);
}

Aria2::~Aria2()
{
    if (m_process) {
        m_process->disconnect(this);
        m_process->terminate();
        if (!m_process->waitForFinished(2000))
            m_process->kill();
        m_process->waitForFinished(1000);
    }
}

qint64 Aria2::processId() const
{
    return m_process ? m_process->processId() : 0;
}

void Aria2::start()
{
    if (m_process)
        return;
    m_dir = std::make_unique<QTemporaryDir>();
    m_port = freePort();
    m_secret = newSecret();
    const QString confPath = m_dir->filePath(QStringLiteral("aria2.conf"));
    QFile conf(confPath);
    if (!m_dir->isValid() || m_port == 0 || !conf.open(QIODevice::WriteOnly) ||
        !conf.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        processEnded(QStringLiteral("无法准备 aria2 的配置文件"));
        return;
    }
    // A download goes on from its part file and control file (ranged
    // requests), never writing over one; from scratch only when the server
    // cannot send ranges. A dropped connection is tried again after a wait.
    // No disk cache: aria2 1.36 aborts when it starts a cached download over.
    conf.write(QStringLiteral("enable-rpc=true\n"
                              "rpc-listen-all=false\n"
                              "rpc-listen-port=%1\n"
                              "rpc-secret=%2\n"
                              "stop-with-process=%3\n"
                              "continue=true\n"
                              "always-resume=false\n"
                              "max-resume-failure-tries=0\n"
                              "auto-file-renaming=false\n"
                              "file-allocation=none\n"
                              "disk-cache=0\n"
                              "auto-save-interval=1\n"
                              "min-split-size=5M\n"
                              "max-tries=5\n"
                              "retry-wait=2\n"
                              "connect-timeout=15\n"
                              "summary-interval=0\n"
                              "console-log-level=warn\n")
                   .arg(m_port)
                   .arg(QString::fromLatin1(m_secret))
                   .arg(QCoreApplication::applicationPid())
                   .toUtf8() +
               ownOptions().toUtf8());
    conf.close();

    m_process = new QProcess(this);
    m_process->setProgram(m_program);
    m_process->setArguments({QStringLiteral("--conf-path=") + confPath});
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
    connect(m_process, &QProcess::finished, this,
            [this](int code) { processEnded(QStringLiteral("aria2 已退出（%1）").arg(code)); });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            processEnded(QStringLiteral("无法启动 %1").arg(m_program));
    });
    m_process->start();
    m_probesLeft = kProbeCount;
    m_probe->start();
}

void Aria2::setOptions(const QMap<QString, QString> &options)
{
    m_options = options;
    if (!m_process) // taken at the next start
        return;
    QJsonObject changed;
    for (auto it = options.begin(); it != options.end(); ++it)
        changed.insert(it.key(), it.value());
    call(QStringLiteral("aria2.changeGlobalOption"), {changed}, [](const QJsonValue &, const QString &) {});
}

QString Aria2::ownOptions()
{
    QString options;
    for (auto it = m_options.begin(); it != m_options.end(); ++it)
        options += it.key() + u'=' + it.value() + u'\n';
    if (m_sessionFile.isEmpty())
        return options;
    options += QStringLiteral("save-session=%1\nsave-session-interval=1\n").arg(m_sessionFile);
    if (!std::exchange(m_sessionRead, true) && QFile::exists(m_sessionFile))
        options += QStringLiteral("input-file=%1\n").arg(m_sessionFile);
    return options;
}

void Aria2::probe()
{
    if (m_probing)
        return;
    if (--m_probesLeft < 0) {
        if (m_process)
            m_process->kill();
        return;
    }
    m_probing = true;
    post({QStringLiteral("aria2.getVersion"), {}, [this](const QJsonValue &result, const QString &error) {
              m_probing = false;
              if (!error.isEmpty() || m_ready || !m_process)
                  return;
              m_probe->stop();
              m_ready = true;
              m_version = result.toObject().value(QLatin1String("version")).toString();
              const QList<Call> waiting = std::exchange(m_waiting, {});
              for (const Call &c : waiting)
                  post(c);
              emit ready();
          }});
}

void Aria2::processEnded(const QString &reason)
{
    m_probe->stop();
    m_probing = false;
    m_ready = false;
    if (m_process) {
        m_process->disconnect(this);
        m_process->deleteLater();
        m_process = nullptr;
    }
    m_dir.reset();
    const QList<Call> waiting = std::exchange(m_waiting, {});
    for (const Call &c : waiting)
        c.done({}, reason);
    emit stopped(reason);
}

void Aria2::call(const QString &method, const QJsonArray &params, Callback done)
{
    const Call c{method, params, std::move(done)};
    if (m_ready) {
        post(c);
        return;
    }
    m_waiting.append(c);
    start();
}

void Aria2::post(const Call &call)
{
    QJsonArray params = call.params;
    params.prepend(QStringLiteral("token:") + QString::fromLatin1(m_secret));
    const QJsonObject body{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
                           {QStringLiteral("id"), m_nextId++},
                           {QStringLiteral("method"), call.method},
                           {QStringLiteral("params"), params}};
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1/jsonrpc").arg(m_port)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    QNetworkReply *reply = m_network->post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
    const Callback done = call.done;
    connect(reply, &QNetworkReply::finished, this, [reply, done] {
        reply->deleteLater();
        const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
        if (answer.contains(QLatin1String("result"))) {
            done(answer.value(QLatin1String("result")), {});
            return;
        }
        const QString message =
            answer.value(QLatin1String("error")).toObject().value(QLatin1String("message")).toString();
        done({}, message.isEmpty() ? reply->errorString() : message);
    });
}

} // namespace dm
