#include "download/HandOff.h"

#include "browse/OpenItem.h"
#include "common/LocalCopy.h"
#include "handoff/Framing.h"
#include "handoff/ItemText.h"
#include "platform/Prompter.h"

namespace download {

namespace dde = platform::dde;

std::optional<QString> saveTarget(Manager manager, const QString &programDir, const QString &columnName,
                                  const QString &fileName)
{
    const std::optional<QString> path = LocalCopyPath(programDir, columnName, fileName);
    if (!path || manager == Manager::NetAnts)
        return path;
    return path->left(path->size() - fileName.size() - 1);
}

HandOffResult SendToDownloadManager(TDM_CDS &dm, Manager manager, const QString &programDir, const QString &columnName,
                                    const QString &fileName, const QString &address, const QString &fileIdText,
                                    const HandOffSettings &settings)
{
    const std::optional<QString> target = saveTarget(manager, programDir, columnName, fileName);
    if (!target)
        return RequestFailed;
    const QString service = handoff::serviceName(manager);
    const QString item = handoff::itemText(address, *target);
    dde::Reply reply = dde::request(service, handoff::kOpenUrlTopic, item, settings.requestTimeoutMs);
    if (reply.outcome == dde::Reply::NoConversation && platform::startManagerProgram(service, settings.programs) != 0 &&
        dde::waitForService(service, settings.startWaitMs))
        reply = dde::request(service, handoff::kOpenUrlTopic, item, settings.requestTimeoutMs);
    if (reply.outcome == dde::Reply::NoConversation)
        return NoConversation;
    if (reply.outcome == dde::Reply::NoData)
        return RequestFailed;
    browse::markDownloaded(dm, fileIdText.trimmed().toInt());
    return Accepted;
}

void LaunchDownloadManager(platform::AutomationPort &automation, Manager manager)
{
    automation.start(handoff::classId(manager));
}

QString acceptedText(Manager manager)
{
    return QStringLiteral("文件成功添加到%1的下载列表中。").arg(handoff::displayName(manager));
}

QString noConversationText(Manager manager)
{
    return QStringLiteral("添加失败，您需要先启动%1，现在就启动吗？").arg(handoff::displayName(manager));
}

QString requestFailedText()
{
    return QStringLiteral("添加失败，请您与我们联系，相信您会得到满意的答复！");
}

namespace {

const QString kInformation = QStringLiteral("信息");

// Tells `busy` that the program is busy for as long as it lives.
class BusyWhile final
{
public:
    explicit BusyWhile(const std::function<void(bool)> &busy) : m_busy(busy) { m_busy(true); }
    ~BusyWhile() { m_busy(false); }
    BusyWhile(const BusyWhile &) = delete;
    BusyWhile &operator=(const BusyWhile &) = delete;

private:
    const std::function<void(bool)> &m_busy;
};

} // namespace

HandOffCommands::HandOffCommands(platform::Prompter &prompter, HandOffSettings settings)
    : m_prompter(prompter), m_settings(std::move(settings)), m_automation(m_settings.programs, m_settings.startWaitMs)
{
}

HandOffResult HandOffCommands::send(TDM_CDS &dm, Manager manager, const QString &programDir, const browse::ItemRow &row)
{
    const BusyWhile scope(busy);
    return SendToDownloadManager(dm, manager, programDir, row.columnName, row.fileName, row.url, row.fileId,
                                 m_settings);
}

void HandOffCommands::offerLaunch(Manager manager)
{
    using P = platform::Prompter;
    if (m_prompter.ask(kInformation, noConversationText(manager), P::Icon::None, P::Buttons::YesNo) == P::Answer::Yes)
        launch(manager);
}

void HandOffCommands::launch(Manager manager)
{
    const BusyWhile scope(busy);
    // The port is made again so that settings changed since take effect.
    m_automation = platform::AutomationPort(m_settings.programs, m_settings.startWaitMs);
    LaunchDownloadManager(m_automation, manager);
}

void HandOffCommands::handOffItem(TDM_CDS &dm, Manager manager, const QString &programDir, const browse::ItemRow &row,
                                  const SetIcon &setIcon)
{
    using P = platform::Prompter;
    switch (send(dm, manager, programDir, row)) {
    case Accepted:
        // Icons 1 and 2 stay as they are.
        if (row.imageIndex == 0)
            setIcon(0, 1);
        m_prompter.inform(kInformation, acceptedText(manager));
        break;
    case NoConversation:
        offerLaunch(manager);
        break;
    case RequestFailed:
        m_prompter.inform(QStringLiteral("错误"), requestFailedText(), P::Icon::Warning);
        break;
    }
}

void HandOffCommands::handOffPage(TDM_CDS &dm, Manager manager, const QString &programDir,
                                  const QList<browse::ItemRow> &rows, const SetIcon &setIcon)
{
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows.at(i).imageIndex == 2)
            continue; // a local copy is there
        const HandOffResult result = send(dm, manager, programDir, rows.at(i));
        if (result == Accepted) {
            setIcon(i, 1);
        } else if (result == NoConversation) {
            offerLaunch(manager);
            return;
        }
        // A refused item is skipped without a word.
    }
    m_prompter.inform(kInformation, acceptedText(manager));
}

} // namespace download
