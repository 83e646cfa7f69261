#include "app/FirstStart.h"

#include "catalogue/DemoCatalogue.h"
#include "platform/Prompter.h"
#include "store/DatabaseError.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QWidget>

#include <exception>

namespace app {

HomeOffer offerDemoHome(const QString &home, const QString &site, platform::Prompter &prompter)
{
    const QDir dir(home);
    if (QFileInfo::exists(dir.filePath(QStringLiteral("Data"))))
        return HomeOffer::NotNeeded;
    const QString catalogue = QDir::toNativeSeparators(dir.absoluteFilePath(QStringLiteral("Data/info.db")));
    const bool take = prompter.confirm(
        QStringLiteral("提示"),
        QStringLiteral(
            "没有找到目录数据库：\n%1\n\n要在这里写入一个演示目录（类别、栏目、条目、窗口皮肤和本地副本）并继续吗？"
            "\n选择“否”退出程序。")
            .arg(catalogue));
    if (!take)
        return HomeOffer::Declined;

    catalogue::DemoOptions options;
    options.site = site;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QString problem;
    try {
        catalogue::writeDemoCatalogue(home, options);
    } catch (const DatabaseError &e) {
        problem = e.text();
    } catch (const std::exception &e) {
        problem = QString::fromUtf8(e.what());
    }
    QGuiApplication::restoreOverrideCursor();
    if (problem.isEmpty())
        return HomeOffer::Written;
    prompter.showError(QStringLiteral("演示目录写入失败：%1\n%2").arg(catalogue, problem));
    return HomeOffer::Failed;
}

void bringToFront(QWidget *window)
{
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace app
