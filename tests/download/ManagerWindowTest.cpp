// The download manager's window over real downloads: new rows come into
// view, the progress column is drawn as a bar as full as the download, and
// the start request brings the window forward.
#include "EnvVar.h"
#include "Wait.h"

#include "DemoSite.h"
#include "FileSending.h"
#include "dm/Aria2.h"
#include "dm/Downloads.h"
#include "dm/ManagerWindow.h"
#include "handoff/ItemText.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QJsonObject>
#include <QLabel>
#include <QMenu>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// The share of a cell's pixels drawn in the highlight colour.
double highlighted(QTreeView *list, const QModelIndex &index)
{
    const QImage image = list->viewport()->grab(list->visualRect(index)).toImage();
    const QColor highlight = QApplication::palette().color(QPalette::Highlight);
    qint64 count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - highlight.red()) + std::abs(c.green() - highlight.green()) +
                    std::abs(c.blue() - highlight.blue()) <
                90)
                ++count;
        }
    }
    return image.isNull() ? 0 : double(count) / (image.width() * image.height());
}

} // namespace

TEST(ManagerWindow, ShowsEachDownloadWithItsBarAndComesForward)
{
    QTemporaryDir home;
    QDir().mkpath(home.filePath(QStringLiteral("site/files/c")));
    {
        QFile f(home.filePath(QStringLiteral("site/files/c/a.swf")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'a'));
    }
    DemoSite site(home.path(), home.path());
    ASSERT_TRUE(site.listen());
    dm::Aria2 aria2;
    dm::Downloads downloads(aria2);
    dm::ManagerWindow window(downloads);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTreeView *list = window.list();
    // Five captions across, none down or beyond.
    QStringList captions;
    for (int i = 0; i < list->model()->columnCount(); ++i)
        captions << list->model()->headerData(i, Qt::Horizontal).toString();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("名称"), QStringLiteral("大小"), QStringLiteral("进度"),
                                     QStringLiteral("速度"), QStringLiteral("状态")}));
    EXPECT_FALSE(list->model()->headerData(0, Qt::Vertical).isValid());
    for (const int beyond : {-1, int(dm::Downloads::ColumnCount)})
        EXPECT_FALSE(list->model()->headerData(beyond, Qt::Horizontal).isValid());

    // More rows than the list shows: each new one is scrolled into view.
    const QString local = home.filePath(QStringLiteral("local/c"));
    constexpr int kRows = 14;
    for (int i = 0; i < kRows; ++i) {
        const QString file = i == 0 ? QStringLiteral("none.swf") : QStringLiteral("a.swf");
        ASSERT_TRUE(downloads.accept(QStringLiteral("NetAnts"),
                                     handoff::itemText(site.baseUrl() + QStringLiteral("files/c/") + file,
                                                       local + QStringLiteral("/%1.swf").arg(i))));
        QApplication::processEvents();
        EXPECT_TRUE(list->viewport()->rect().contains(list->visualRect(list->model()->index(i, 0)))) << i;
    }
    ASSERT_TRUE(waitFor(
        [&] {
            for (const dm::Download &d : downloads.downloads()) {
                if (d.state != dm::Download::Done && d.state != dm::Download::Failed)
                    return false;
            }
            return true;
        },
        30000));
    ASSERT_EQ(downloads.downloads().at(0).state, dm::Download::Failed);
    ASSERT_EQ(downloads.downloads().at(kRows - 1).state, dm::Download::Done);

    // A finished download's bar is full, a failed one's empty; other
    // columns are not bars.
    const QModelIndex done = list->model()->index(kRows - 1, dm::Downloads::ProgressColumn);
    const QModelIndex failed = list->model()->index(0, dm::Downloads::ProgressColumn);
    list->scrollTo(done);
    EXPECT_GT(highlighted(list, done), 0.3);
    EXPECT_LT(highlighted(list, done.siblingAtColumn(dm::Downloads::SizeColumn)), 0.05);
    list->scrollTo(failed);
    EXPECT_LT(highlighted(list, failed), 0.05);

    // The status line, and the start request bringing the window back.
    window.setStatus(QStringLiteral("aria2 已就绪"));
    EXPECT_EQ(window.findChild<QLabel *>(QStringLiteral("lab_Status"))->text(), QStringLiteral("aria2 已就绪"));
    window.showMinimized();
    ASSERT_TRUE(waitFor([&] { return window.isMinimized(); }));
    window.bringForward();
    EXPECT_TRUE(waitFor([&] { return !window.isMinimized() && window.isVisible(); }));
    window.hide();
    window.bringForward();
    EXPECT_TRUE(window.isVisible());
}

namespace {

void trigger(dm::ManagerWindow &window, const char *name)
{
    QAction *action = window.findChild<QAction *>(QLatin1String(name));
    ASSERT_TRUE(action) << name;
    ASSERT_TRUE(action->isEnabled()) << name;
    action->trigger();
}

void select(QTreeView *list, int row)
{
    list->setFocus();
    list->selectionModel()->select(list->model()->index(row, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// Takes the addresses the desktop would open.
class UrlCatcher final : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

} // namespace

TEST(ManagerWindow, ItsControlsPauseResumeCancelRetryAndRemove)
{
    QTemporaryDir home;
    QDir().mkpath(home.filePath(QStringLiteral("site/files/c")));
    QByteArray bytes(4 * 1024 * 1024, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 31 + i / 977) % 256);
    for (const char *name : {"a.swf", "b.swf"}) {
        QFile f(home.filePath(QStringLiteral("site/files/c/") + QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    const EnvVar config("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")));
    DemoSite site(home.path(), home.path());
    ASSERT_TRUE(site.listen());
    site.fileSending().bytesPerSecond = 512 * 1024;
    dm::Aria2 aria2;
    dm::Downloads downloads(aria2, home.filePath(QStringLiteral("list/downloads.json")));
    dm::ManagerWindow window(downloads);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTreeView *list = window.list();
    const QString local = home.filePath(QStringLiteral("local/c"));
    const auto row = [&](int r) -> const dm::Download & { return downloads.downloads().at(r); };
    const auto stateText = [&](int r) {
        return downloads.data(downloads.index(r, dm::Downloads::StateColumn), Qt::DisplayRole).toString();
    };
    for (const char *name : {"a.swf", "b.swf"})
        ASSERT_TRUE(downloads.accept(
            QStringLiteral("FlashGet"),
            handoff::itemText(site.baseUrl() + QStringLiteral("files/c/") + QLatin1String(name), local)));
    ASSERT_TRUE(waitFor([&] { return row(0).completed > 1024 * 1024 && row(1).completed > 0; }, 15000));

    // Space pauses the selected row and resumes it; the server no longer
    // sending ranges, the row says that it starts over.
    select(list, 0);
    QTest::keyClick(list, Qt::Key_Space);
    ASSERT_TRUE(waitFor([&] { return row(0).state == dm::Download::Paused; }, 10000));
    EXPECT_EQ(stateText(0), QStringLiteral("已暂停"));
    EXPECT_TRUE(window.findChild<QAction *>(QStringLiteral("act_Resume"))->isEnabled());
    EXPECT_FALSE(window.findChild<QAction *>(QStringLiteral("act_Pause"))->isEnabled());
    site.fileSending().ranges = false;
    QTest::keyClick(list, Qt::Key_Space);
    ASSERT_TRUE(waitFor([&] { return row(0).state != dm::Download::Paused; }, 10000));
    ASSERT_TRUE(waitFor([&] { return row(0).startedOver; }, 10000));
    EXPECT_EQ(stateText(0), QStringLiteral("下载中（服务器不支持续传，已从头开始）"));
    site.fileSending().ranges = true;

    // The context menu cancels the other: its part file goes; retry
    // fetches it again.
    select(list, 1);
    QMenu *menu = window.contextMenu();
    QAction *cancel = nullptr;
    for (QAction *action : menu->actions())
        cancel = action->objectName() == u"act_Cancel" ? action : cancel;
    ASSERT_TRUE(cancel);
    ASSERT_TRUE(cancel->isEnabled());
    cancel->trigger();
    ASSERT_TRUE(waitFor([&] { return row(1).state == dm::Download::Failed; }, 10000));
    EXPECT_EQ(stateText(1), QStringLiteral("失败：已取消"));
    EXPECT_FALSE(QFile::exists(row(1).partPath()));
    EXPECT_FALSE(QFile::exists(row(1).finalPath()));
    trigger(window, "act_Retry");
    ASSERT_TRUE(waitFor([&] { return row(1).state == dm::Download::Running; }, 10000));

    // Pause all and resume all.
    trigger(window, "act_PauseAll");
    ASSERT_TRUE(
        waitFor([&] { return row(0).state == dm::Download::Paused && row(1).state == dm::Download::Paused; }, 10000));
    trigger(window, "act_ResumeAll");
    ASSERT_TRUE(waitFor([&] { return row(0).settled() && row(1).settled(); }, 60000));
    for (int r : {0, 1}) {
        EXPECT_EQ(row(r).state, dm::Download::Done) << row(r).reason.toStdString();
        QFile f(row(r).finalPath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll() == bytes);
    }

    // The folder of the selected row opens in the desktop's file manager.
    UrlCatcher desktop;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &desktop, "open");
    select(list, 0);
    trigger(window, "act_OpenFolder");
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(desktop.urls, QList<QUrl>{QUrl::fromLocalFile(local)});

    // Delete removes the selected row from the list, the file stays;
    // clearing the finished ones empties it.
    select(list, 1);
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(downloads.rowCount(), 1);
    EXPECT_EQ(row(0).job.name, QStringLiteral("a.swf"));
    EXPECT_TRUE(QFile::exists(local + QStringLiteral("/b.swf")));
    trigger(window, "act_ClearFinished");
    EXPECT_EQ(downloads.rowCount(), 0);

    // The settings: applied to aria2 at once and kept in the settings file
    // for the next window.
    window.findChild<QSpinBox *>(QStringLiteral("sp_SpeedLimit"))->setValue(300);
    window.findChild<QSpinBox *>(QStringLiteral("sp_AtOnce"))->setValue(2);
    window.findChild<QSpinBox *>(QStringLiteral("sp_Connections"))->setValue(9); // at most 4
    QJsonObject global;
    ASSERT_TRUE(waitFor(
        [&] {
            aria2.call(QStringLiteral("aria2.getGlobalOption"), {},
                       [&](const QJsonValue &result, const QString &) { global = result.toObject(); });
            QTest::qWait(100);
            return global.value(QLatin1String("max-overall-download-limit")).toString() == u"307200";
        },
        10000));
    EXPECT_EQ(global.value(QLatin1String("max-concurrent-downloads")).toString(), QStringLiteral("2"));
    EXPECT_EQ(global.value(QLatin1String("max-connection-per-server")).toString(), QStringLiteral("4"));
    QFile conf(home.filePath(QStringLiteral("config/flashbar/flashbar.conf")));
    ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(conf.readAll().contains("[downloads]"));
    dm::ManagerWindow next(downloads);
    EXPECT_EQ(next.findChild<QSpinBox *>(QStringLiteral("sp_SpeedLimit"))->value(), 300);
    EXPECT_EQ(next.findChild<QSpinBox *>(QStringLiteral("sp_AtOnce"))->value(), 2);
    EXPECT_EQ(next.findChild<QSpinBox *>(QStringLiteral("sp_Connections"))->value(), 4);
}

#include "ManagerWindowTest.moc"
