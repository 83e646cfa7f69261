#include "platform/Automation.h"

#include "handoff/Framing.h"
#include "handoff/Managers.h"
#include "platform/Conversation.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace platform {

namespace {

bool isProgram(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

QString findManagerProgram(const QString &service, const ManagerPrograms &programs)
{
    if (!programs.homeDir.isEmpty()) {
        const QString inHome = QDir(programs.homeDir).absoluteFilePath(service);
        if (isProgram(inHome))
            return inHome;
    }
    const QString onPath = QStandardPaths::findExecutable(service);
    if (!onPath.isEmpty())
        return onPath;
    return isProgram(programs.ownManager) ? QFileInfo(programs.ownManager).absoluteFilePath() : QString();
}

qint64 startManagerProgram(const QString &service, const ManagerPrograms &programs)
{
    const QString program = findManagerProgram(service, programs);
    if (program.isEmpty())
        return 0;
    QProcess process;
    process.setProgram(program);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    return process.startDetached(&pid) ? pid : 0;
}

QString AutomationPort::serviceOf(const QString &classId)
{
    const std::optional<handoff::Manager> manager = handoff::managerOfClassId(classId);
    return manager ? handoff::serviceName(*manager) : QString();
}

AutomationPort::Connection AutomationPort::start(const QString &classId)
{
    const QString service = serviceOf(classId);
    if (service.isEmpty())
        throw AutomationError(QStringLiteral("没有注册类 %1").arg(classId));
    Connection connection = Attached;
    m_started = 0;
    if (!dde::serviceAnswers(service)) {
        m_started = startManagerProgram(service, m_programs);
        if (m_started == 0)
            throw AutomationError(QStringLiteral("找不到下载程序“%1”").arg(service));
        if (!dde::waitForService(service, m_startWaitMs))
            throw AutomationError(QStringLiteral("下载程序“%1”没有启动").arg(service));
        connection = Started;
    }
    const dde::Reply reply = dde::request(service, handoff::kAutomationTopic, handoff::kStartItem);
    if (reply.outcome != dde::Reply::Data)
        throw AutomationError(QStringLiteral("下载程序“%1”没有响应").arg(service));
    return connection;
}

} // namespace platform
