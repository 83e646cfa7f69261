// The download manager's window over real downloads: new rows come into
// view, the progress column is drawn as a bar as full as the download, and
// the start request brings the window forward.
#include "Wait.h"

#include "DemoSite.h"
#include "dm/Aria2.h"
#include "dm/Downloads.h"
#include "dm/ManagerWindow.h"
#include "handoff/ItemText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

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
