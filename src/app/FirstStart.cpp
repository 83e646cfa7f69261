#include "app/FirstStart.h"

#include "catalogue/DemoCatalogue.h"
#include "platform/Prompter.h"
#include "store/DatabaseError.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QWidget>

#include <algorithm>
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

namespace {

// The text goes first: setting the value of a modal dialog runs the event
// loop, where later progress may be shown.
void showProgress(QProgressDialog &dialog, const QString &file, const import::CopyProgress &p)
{
    dialog.setLabelText(QStringLiteral("正在导入 %1\n表 %2/%3：%4\n已导入 %5 行")
                            .arg(file)
                            .arg(p.table)
                            .arg(p.tables)
                            .arg(import::printableName(p.name))
                            .arg(p.totalRows));
    dialog.setMaximum(std::max(1, p.tables) * 100);
    const qint64 part = p.expectedRows > 0 ? std::min<qint64>(99, 100 * p.tableRows / p.expectedRows) : 0;
    dialog.setValue(int((p.table - 1) * 100 + part));
}

} // namespace

HomeOffer offerImport(const QString &home, const import::WorkerCommand &worker, platform::Prompter &prompter)
{
    const QDir dir(home);
    const QString file = dir.absoluteFilePath(QStringLiteral("Data/info.mdb"));
    if (!QFileInfo::exists(file) || QFileInfo::exists(dir.filePath(QStringLiteral("Data/info.db"))))
        return HomeOffer::NotNeeded;
    const QString shown = QDir::toNativeSeparators(file);
    const bool take = prompter.confirm(
        QStringLiteral("提示"),
        QStringLiteral(
            "找到旧版程序的目录数据库：\n%1\n但还没有 info.db。\n\n要把它导入吗？已看、已下载、已删除的标记，"
            "订阅、收藏、保存的用户和发过的贺卡都会保留。\n选择“否”退出程序。")
            .arg(shown));
    if (!take)
        return HomeOffer::Declined;

    import::ImportProcess process(worker, file, home, false);
    QProgressDialog dialog(QStringLiteral("正在导入 %1").arg(shown), QStringLiteral("取消"), 0, 100);
    dialog.setWindowTitle(QStringLiteral("导入目录数据库"));
    dialog.setObjectName(QStringLiteral("dlg_Import"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(0);
    QObject::connect(&process, &import::ImportProcess::progressed, &dialog,
                     [&](const import::CopyProgress &p) { showProgress(dialog, shown, p); });
    QObject::connect(&dialog, &QProgressDialog::canceled, &process, &import::ImportProcess::cancel);
    process.start();
    dialog.show();
    process.waitForEnd();
    dialog.hide();
    if (process.ok()) {
        const QStringList leftOut = process.summary().leftOut;
        if (!leftOut.isEmpty())
            prompter.inform(QStringLiteral("提示"), QStringLiteral("目录数据库已导入。这些列不属于目录，没有导入：%1")
                                                        .arg(import::leftOutLine(leftOut, QStringLiteral("、"))));
        return HomeOffer::Written;
    }
    if (process.cancelled())
        return HomeOffer::Declined;
    prompter.showError(QStringLiteral("目录数据库导入失败：\n%1").arg(process.message()));
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
