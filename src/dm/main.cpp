// flashbar-dm: the download manager that the program hands items to. It
// serves the conversations of both managers ("NetAnts" and "FlashGet") and
// downloads with aria2c. A second start asks the running one to show itself
// and ends.
#include "dm/Aria2.h"
#include "dm/DownloadSettings.h"
#include "dm/DownloadStore.h"
#include "dm/Downloads.h"
#include "dm/ManagerWindow.h"
#include "handoff/Framing.h"
#include "handoff/Managers.h"
#include "platform/Conversation.h"
#include "platform/EndSignals.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QLockFile>

#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

namespace dde = platform::dde;

namespace {

constexpr int kLockWaitMs = 3000;

bool anotherIsServing()
{
    for (const handoff::Manager manager : handoff::kManagers) {
        const QString service = handoff::serviceName(manager);
        if (dde::serviceAnswers(service)) {
            dde::request(service, handoff::kAutomationTopic, handoff::kStartItem, 3000);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("flashbar-dm"));
    QApplication::setApplicationDisplayName(QStringLiteral("KelvoFlash吧 下载管理"));
    QFont::insertSubstitutions(QStringLiteral("宋体"),
                               {QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC")});
    if (anotherIsServing())
        return 0;

    // The list and aria2's session outlive the manager, so that downloads go
    // on after any end of it. One manager keeps them: of two started at once,
    // the second leaves them to the first.
    const QString folder = dm::downloadsFolder();
    QDir().mkpath(folder);
    QLockFile lock(folder + QStringLiteral("/manager.lock"));
    if (!lock.tryLock(kLockWaitMs)) {
        anotherIsServing();
        return 0;
    }
    const QString session = folder + QStringLiteral("/aria2.session");
    const bool sessionUsable = dm::sessionUsable(session);
    dm::Aria2 aria2;
    aria2.setSessionFile(session);
    aria2.setOptions(dm::aria2Options(dm::readDownloadSettings()));
    dm::Downloads downloads(aria2, folder + QStringLiteral("/downloads.json"));
    dm::ManagerWindow window(downloads);
    QString notice;
    if (!sessionUsable || downloads.listWasDamaged()) {
        notice = QStringLiteral("下载列表已损坏，只读出了能读的部分；原文件另存为 .bad");
        std::fprintf(stderr, "flashbar-dm: %s\n", notice.toLocal8Bit().constData());
    }

    std::vector<std::unique_ptr<dde::Server>> servers;
    for (const handoff::Manager manager : handoff::kManagers) {
        const QString service = handoff::serviceName(manager);
        auto server = std::make_unique<dde::Server>(
            service, [&, service](const QString &topic, const QString &item) -> std::optional<QString> {
                if (topic == handoff::kAutomationTopic && item == handoff::kStartItem) {
                    window.bringForward();
                    return QStringLiteral("1");
                }
                if (topic != handoff::kOpenUrlTopic)
                    return std::nullopt;
                return downloads.accept(service, item);
            });
        QString error;
        if (!server->listen(&error)) {
            std::fprintf(stderr, "flashbar-dm: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
        servers.push_back(std::move(server));
    }

    QObject::connect(&aria2, &dm::Aria2::ready, &window, [&] {
        window.setStatus(QStringLiteral("aria2 %1 已就绪").arg(aria2.version()) +
                         (notice.isEmpty() ? QString() : QStringLiteral("。") + std::exchange(notice, {})));
    });
    QObject::connect(&aria2, &dm::Aria2::stopped, &window, [&](const QString &reason) { window.setStatus(reason); });
    // SIGTERM, SIGINT and SIGHUP end the event loop as closing the window
    // does, so that aria2c is stopped and its configuration, secret
    // included, is removed rather than left in the temporary folder.
    if (auto *ends = platform::EndSignals::watch({SIGTERM, SIGINT, SIGHUP}, &app))
        QObject::connect(ends, &platform::EndSignals::received, &app, &QCoreApplication::quit);
    window.setStatus(QStringLiteral("正在启动 aria2…"));
    aria2.start();
    downloads.restore();
    window.show();
    return app.exec();
}
