// The subscription panel in the main window: choosing a class, checking and
// saving its columns, restoring them, and the item lists that follow.
#include "ScriptedPrompter.h"
#include "TempCatalogue.h"

#include "app/MainWindow.h"
#include "browse/ListQuery.h"
#include "search/LocalSearch.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"
#include "subscribe/ClassRowDelegate.h"
#include "subscribe/SubscribePanel.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

class Subscriptions : public ::testing::Test
{
protected:
    Subscriptions() : dm(catalogue.path()), window(prompter, QStringLiteral("http://127.0.0.1:9/"))
    {
        catalogue.addClass(3, QStringLiteral("游戏世界"));
        catalogue.addClass(1, QStringLiteral("MTV精选"));
        catalogue.addColumn(31, 3, QStringLiteral("益智游戏"));
        catalogue.addColumn(32, 3, QStringLiteral("动作射击"), false);
        catalogue.addColumn(33, 3, QStringLiteral("Kid's Corner"));
        catalogue.addColumn(11, 1, QStringLiteral("流行金曲"));
        int id = 1000;
        for (int column : {31, 32, 33, 11}) {
            for (int i = 1; i <= 4; ++i, ++id)
                catalogue.addItem(id, column, QStringLiteral("动画%1").arg(id),
                                  QStringLiteral("2003-01-%1 10:00:00").arg(i + column % 10, 2, 10, QLatin1Char('0')));
        }
        window.setDataModule(&dm);
        window.ProgramDir = catalogue.home();
        panel = window.pal_Subscribe;
        prompter.asked.clear(); // the home has no skin; the frame said so
    }

    // Clicks the class row of the panel's class list.
    void chooseClass(int row)
    {
        QTreeWidgetItem *item = panel->lv_subscribe_Class->topLevelItem(row);
        const QRect r = panel->lv_subscribe_Class->visualItemRect(item);
        QTest::mouseClick(panel->lv_subscribe_Class->viewport(), Qt::LeftButton, {}, r.center());
    }
    // The column list as "name=1/0".
    QStringList checks()
    {
        QStringList out;
        for (const subscribe::ColumnRow &r : panel->columnRows())
            out << r.name + u'=' + (r.subscribed ? u'1' : u'0');
        return out;
    }
    QString stored()
    {
        return catalogue
            .scalar(QStringLiteral("SELECT group_concat(ColumeID || '=' || Subscribed, ' ') FROM"
                                   " (SELECT * FROM tb_Colume ORDER BY ColumeID)"))
            .toString();
    }
    int listed(int classNumber)
    {
        window.ListItems(QStringLiteral("游戏世界"), classNumber, browse::FirstPage);
        return window.pal_files->filesModel->rowCount();
    }

    TempCatalogue catalogue;
    TDM_CDS dm;
    ScriptedPrompter prompter;
    TFrm_Main window;
    subscribe::SubscribePanel *panel;
};

TEST_F(Subscriptions, PanelOpensFromTheListAndShowsTheNineClasses)
{
    window.show();
    window.ListItems(QStringLiteral("游戏世界"), 3, browse::FirstPage);
    window.pal_files->sb_subscribe->click();
    EXPECT_EQ(window.frontPanel(), panel);
    EXPECT_EQ(window.CurrentPanel, panel);
    EXPECT_EQ(window.PreviousPanel, window.pal_Main);
    EXPECT_EQ(panel->lab_Subscribe->text(), QStringLiteral("订阅"));
    EXPECT_EQ(panel->lv_subscribe_Colume->topLevelItemCount(), 0);

    QStringList classes;
    for (int i = 0; i < panel->lv_subscribe_Class->topLevelItemCount(); ++i)
        classes << panel->lv_subscribe_Class->topLevelItem(i)->text(0) + u':' +
                       panel->lv_subscribe_Class->topLevelItem(i)->data(0, Qt::UserRole).toString();
    EXPECT_EQ(classes.join(u' '), QStringLiteral("MTV精选:1 捧腹大笑:2 游戏世界:3 工作室专栏:4 优秀短片:8 诗词欣赏:7 "
                                                 "精品广告:12 贺卡多多:11 学习空间:9"));
    EXPECT_EQ(panel->lv_subscribe_Class->geometry(), QRect(3, 23, 70, 225));
    EXPECT_EQ(panel->lv_subscribe_Colume->geometry(), QRect(74, 23, 163, 228));
    EXPECT_EQ(panel->lv_subscribe_Class->visualItemRect(panel->lv_subscribe_Class->topLevelItem(1)).height(), 20);
    const int lefts[] = {27, 75, 123, 171};
    const QToolButton *buttons[] = {panel->sb_SelectAll, panel->sb_CancelAll, panel->sb_Saveall, panel->sb_Restore};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(buttons[i]->geometry(), QRect(lefts[i], 0, 40, 18)) << i;

    // Choosing a class titles the panel and lists its columns as stored.
    chooseClass(2);
    EXPECT_EQ(panel->lab_Subscribe->text(), QStringLiteral("订阅——游戏世界"));
    EXPECT_EQ(panel->lab_Subscribe->x(), (238 - panel->lab_Subscribe->width()) / 2);
    EXPECT_EQ(checks(), (QStringList{QStringLiteral("益智游戏=1"), QStringLiteral("动作射击=0"),
                                     QStringLiteral("Kid's Corner=1")}));
    EXPECT_EQ(panel->columnRows().at(1).columnId, QStringLiteral("32"));
    EXPECT_EQ(panel->columnRows().at(1).description, QStringLiteral("动作射击的介绍"));

    // A class without columns lists none; saving and restoring do nothing.
    chooseClass(4);
    EXPECT_EQ(panel->lab_Subscribe->text(), QStringLiteral("订阅——优秀短片"));
    EXPECT_TRUE(checks().isEmpty());
    const QString before = stored();
    panel->sb_Saveall->click();
    panel->sb_Restore->click();
    EXPECT_TRUE(checks().isEmpty());
    EXPECT_EQ(stored(), before);
    // No class chosen at all: the title and the list stay as they were.
    chooseClass(2);
    panel->lv_subscribe_Class->setCurrentItem(nullptr);
    EXPECT_EQ(panel->lab_Subscribe->text(), QStringLiteral("订阅——游戏世界"));
    EXPECT_EQ(checks().size(), 3);
    window.close();
}

TEST_F(Subscriptions, CheckSaveRestoreAndTheListsFollow)
{
    window.show();
    EXPECT_EQ(listed(3), 8) << "two subscribed columns of four items";
    window.pal_files->sb_subscribe->click();
    chooseClass(2);

    // Unsaved marks go when the class is chosen again.
    panel->sb_SelectAll->click();
    EXPECT_EQ(checks(), (QStringList{QStringLiteral("益智游戏=1"), QStringLiteral("动作射击=1"),
                                     QStringLiteral("Kid's Corner=1")}));
    chooseClass(0);
    EXPECT_EQ(checks(), QStringList{QStringLiteral("流行金曲=1")});
    chooseClass(2);
    EXPECT_EQ(checks().at(1), QStringLiteral("动作射击=0"));
    EXPECT_EQ(stored(), QStringLiteral("11=1 31=1 32=0 33=1"));

    // "全撤" then "保存" unsubscribes the class: its lists are empty, the
    // local search still finds its items, the other classes are as before.
    panel->sb_CancelAll->click();
    EXPECT_EQ(stored(), QStringLiteral("11=1 31=1 32=0 33=1")) << "checks reach the catalogue only by saving";
    panel->sb_Saveall->click();
    EXPECT_EQ(stored(), QStringLiteral("11=1 31=0 32=0 33=0"));
    EXPECT_EQ(listed(3), 0);
    for (int view = 0; view < 6; ++view) {
        window.pal_files->state.CurrentView = view;
        window.ListItems(QStringLiteral("游戏世界"), 3, browse::FirstPage);
        EXPECT_EQ(window.pal_files->filesModel->rowCount(), 0) << "view " << view;
    }
    EXPECT_EQ(listed(1), 4);
    dm.aq_all.setSql(search::localSearchStatement(QStringLiteral("动画"), search::kAll, search::kAll));
    dm.aq_all.open();
    EXPECT_EQ(dm.aq_all.recordCount(), 16);
    dm.aq_all.close();

    // Restore after a save shows what was saved; after other checks it
    // brings back the stored flags.
    panel->sb_Restore->click();
    EXPECT_EQ(checks(), (QStringList{QStringLiteral("益智游戏=0"), QStringLiteral("动作射击=0"),
                                     QStringLiteral("Kid's Corner=0")}));
    panel->lv_subscribe_Colume->topLevelItem(2)->setCheckState(0, Qt::Checked);
    panel->lv_subscribe_Colume->topLevelItem(1)->setCheckState(0, Qt::Checked);
    panel->sb_Restore->click();
    EXPECT_EQ(checks().join(u' '), QStringLiteral("益智游戏=0 动作射击=0 Kid's Corner=0"));

    // Subscribing two columns brings exactly their items back, in every view
    // and in the column menu; the newest ten come from both.
    panel->lv_subscribe_Colume->topLevelItem(2)->setCheckState(0, Qt::Checked);
    panel->lv_subscribe_Colume->topLevelItem(1)->setCheckState(0, Qt::Checked);
    panel->sb_Saveall->click();
    EXPECT_EQ(stored(), QStringLiteral("11=1 31=0 32=1 33=1"));
    EXPECT_EQ(listed(3), 8);
    QStringList columns;
    for (int i = 0; i < window.pal_files->filesModel->rowCount(); ++i)
        columns << window.pal_files->filesModel->row(i).columnName;
    columns.removeDuplicates();
    columns.sort();
    EXPECT_EQ(columns, (QStringList{QStringLiteral("Kid's Corner"), QStringLiteral("动作射击")}));
    window.pal_files->state.CurrentView = 1;
    window.ListItems(QStringLiteral("游戏世界"), 3, browse::FirstPage);
    EXPECT_EQ(window.pal_files->filesModel->rowCount(), 8);
    window.pal_files->state.ColumnFilter = QStringLiteral("Kid's Corner");
    window.ListItems(QStringLiteral("游戏世界"), 3, browse::FirstPage);
    EXPECT_EQ(window.pal_files->filesModel->rowCount(), 4);
    window.close();
}

TEST_F(Subscriptions, ColumnsGoneOrWritesFailingUnderThePanel)
{
    window.pal_files->sb_subscribe->click();
    chooseClass(2);
    panel->sb_CancelAll->click();

    // Another program removes a listed column: saving and restoring pass it by.
    catalogue.exec(QStringLiteral("DELETE FROM tb_Colume WHERE ColumeID = 31"));
    panel->sb_Saveall->click();
    EXPECT_EQ(stored(), QStringLiteral("11=1 32=0 33=0"));
    panel->sb_SelectAll->click();
    panel->sb_Restore->click();
    EXPECT_EQ(checks().join(u' '), QStringLiteral("益智游戏=1 动作射击=0 Kid's Corner=0"));
    EXPECT_TRUE(prompter.asked.isEmpty());

    // The catalogue refuses a write part-way: the error goes up, the column
    // written before it keeps its new flag, the rest keep theirs.
    catalogue.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON tb_Colume WHEN OLD.ColumeID = 33"
                                  " BEGIN SELECT RAISE(ABORT, 'attempt to write a readonly database'); END"));
    panel->sb_SelectAll->click();
    EXPECT_THROW(panel->sb_SaveallClick(), DatabaseError);
    EXPECT_EQ(stored(), QStringLiteral("11=1 32=1 33=0"));
    EXPECT_FALSE(dm.cds_ColumeInfo.active()) << "the table is closed again";
    catalogue.exec(QStringLiteral("DROP TRIGGER refuse"));
    panel->sb_SaveallClick();
    EXPECT_EQ(stored(), QStringLiteral("11=1 32=1 33=1"));
}

TEST(SubscribeClassRows, DrawnWhiteWithNavySelectionAndGreenOthers)
{
    QTreeWidget list;
    list.setColumnCount(1);
    list.resize(70, 60);
    subscribe::ClassRowDelegate delegate;
    auto *item = new QTreeWidgetItem(&list, QStringList{QStringLiteral("游戏世界")});
    QStyleOptionViewItem option;
    option.initFrom(&list);
    option.rect = QRect(0, 0, 70, 20);
    option.font = QFont(QStringLiteral("宋体"));
    option.font.setPixelSize(12);
    const auto render = [&](bool selected) {
        QImage image(70, 20, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        option.state = selected ? (QStyle::State_Enabled | QStyle::State_Selected) : QStyle::State_Enabled;
        delegate.paint(&painter, option, list.model()->index(0, 0));
        painter.end();
        return image;
    };
    for (bool selected : {true, false}) {
        const QImage image = render(selected);
        int white = 0;
        int text = 0;
        int other = 0;
        int leftmost = 70;
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 70; ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c == Qt::white) {
                    ++white;
                } else if (selected ? (c.red() < 90 && c.green() < 90 && c.blue() >= 100)
                                    : (c.red() < 90 && c.green() >= 100 && c.blue() < 90)) {
                    ++text;
                    leftmost = std::min(leftmost, x);
                } else if (c == Qt::magenta) {
                    ADD_FAILURE() << "pixel " << x << "," << y << " left unpainted";
                    return;
                } else {
                    ++other;
                }
            }
        }
        EXPECT_GT(white, 70 * 20 / 2) << "a white row, no highlight bar";
        EXPECT_GT(text, 20) << (selected ? "navy" : "green") << " text";
        EXPECT_GE(leftmost, 3) << "the caption starts after the 1-pixel image and 2 pixels";
        EXPECT_LT(leftmost, 8);
    }
    EXPECT_EQ(delegate.sizeHint(option, list.model()->index(0, 0)).height(), 20);
    delete item;
}

} // namespace
