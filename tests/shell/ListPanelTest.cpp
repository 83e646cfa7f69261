// The item list in the main window: the class buttons, paging, views,
// columns, the context menu, the back button, the About panel.
#include "ScriptedPrompter.h"
#include "TempCatalogue.h"

#include "app/AboutPanel.h"
#include "app/MainWindow.h"
#include "browse/ListQuery.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"
#include "store/Schema.h"
#include "ui/skin/ListPointer.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

class ListPanel : public ::testing::Test
{
protected:
    ListPanel() : dm(catalogue.path()), window(prompter, QStringLiteral("http://127.0.0.1:8731/"))
    {
        catalogue.addClass(3, QStringLiteral("游戏世界"));
        catalogue.addClass(1, QStringLiteral("MTV精选"));
        catalogue.addColumn(31, 3, QStringLiteral("益智游戏"));
        catalogue.addColumn(32, 3, QStringLiteral("动作"));
        catalogue.addColumn(11, 1, QStringLiteral("流行金曲"));
        for (int i = 1; i <= 25; ++i) {
            catalogue.addItem(3100 + i, i <= 20 ? 31 : 32, QStringLiteral("游戏%1").arg(i),
                              QStringLiteral("2003-01-%1 10:00:00").arg(i, 2, 10, QLatin1Char('0')), i, i % 2 == 0);
        }
        catalogue.addItem(1101, 11, QStringLiteral("歌"), QStringLiteral("2003-03-01 10:00:00"));
        window.setDataModule(&dm);
        window.ProgramDir = catalogue.home();
    }

    QToolButton *button(const char *name) { return window.findChild<QToolButton *>(QLatin1String(name)); }
    QStringList columnEntries()
    {
        QStringList out;
        for (QAction *a : window.pal_files->mni_Colume->actions())
            out << a->data().toString();
        return out;
    }
    // Pixels of a button's caption in the given colour, as drawn.
    int pixelsOf(QToolButton *b, const QColor &colour)
    {
        const QImage image = b->grab().toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += QColor(image.pixel(x, y)) == colour ? 1 : 0;
        return count;
    }
    // Enabled paging buttons read navy, disabled ones etched grey.
    void expectPagingLooks()
    {
        for (QToolButton *b : {window.pal_files->sb_firstpage, window.pal_files->sb_priorpage,
                               window.pal_files->sb_nextpage, window.pal_files->sb_lastpage}) {
            SCOPED_TRACE(b->objectName().toStdString());
            const int navy = pixelsOf(b, QColor(0, 0, 128));
            const int grey = pixelsOf(b, QColor(128, 128, 128));
            const int white = pixelsOf(b, Qt::white);
            if (b->isEnabled()) {
                EXPECT_GT(navy, 20);
                EXPECT_EQ(grey + white, 0);
            } else {
                EXPECT_EQ(navy, 0);
                EXPECT_GT(grey, 20);
                EXPECT_GT(white, 20) << "the etch";
            }
        }
    }
    bool pagingEnabled(bool first, bool prior, bool next, bool last)
    {
        return window.pal_files->sb_firstpage->isEnabled() == first &&
               window.pal_files->sb_priorpage->isEnabled() == prior &&
               window.pal_files->sb_nextpage->isEnabled() == next && window.pal_files->sb_lastpage->isEnabled() == last;
    }

    TempCatalogue catalogue;
    TDM_CDS dm;
    ScriptedPrompter prompter;
    TFrm_Main window;
};

TEST_F(ListPanel, LayoutBeforeTheFirstLoad)
{
    EXPECT_EQ(window.pal_files->lab_pagenum->text(), QStringLiteral("第1页"));
    EXPECT_EQ(window.pal_files->lv_Files->geometry(), QRect(1, 23, 236, 221));
    EXPECT_EQ(window.pal_files->lv_Files->header()->sectionSize(0), 150);
    EXPECT_EQ(window.pal_files->lv_Files->header()->sectionSize(1), 85);
    EXPECT_FALSE(window.pal_files->lv_Files->header()->sectionsClickable());
    const int lefts[] = {6, 39, 72, 105, 137};
    const char *names[] = {"sb_firstpage", "sb_priorpage", "sb_nextpage", "sb_lastpage", "sb_subscribe"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(button(names[i])->geometry(), QRect(lefts[i], 1, 32, 22)) << names[i];
    EXPECT_EQ(window.pal_files->lab_pagenum->geometry(), QRect(170, 7, 63, 12));
    QStringList menu;
    for (QAction *a : window.pal_files->pm_Files->actions())
        menu << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(menu, (QStringList{QStringLiteral("查看"), QStringLiteral("栏目"), QStringLiteral("打开(&O)"),
                                 QStringLiteral("删除(&R)"), QStringLiteral("文件另存(&S)"),
                                 QStringLiteral("推荐给好友(T)"), QStringLiteral("-"),
                                 QStringLiteral("下载->网络蚂蚁(&D)"), QStringLiteral("下载->网际快车[&F]"),
                                 QStringLiteral("-"), QStringLiteral("下载所有未下载条目->网络蚂蚁(&H)"),
                                 QStringLiteral("下载所有未下载条目->网际快车(&I)"), QStringLiteral("-"),
                                 QStringLiteral("启动网络蚂蚁(&A)"), QStringLiteral("启动网际快车[&G]")}));
    QStringList views;
    for (QAction *a : window.pal_files->mni_view->actions())
        views << a->text() + (a->isChecked() ? QStringLiteral("*") : QString());
    EXPECT_EQ(views,
              (QStringList{QStringLiteral("最新10条"), QStringLiteral("全部条目*"), QStringLiteral("已点击条目"),
                           QStringLiteral("未点击条目"), QStringLiteral("已下载条目"), QStringLiteral("未下载条目")}));
}

TEST_F(ListPanel, AClassButtonListsItsItemsAndPages)
{
    window.show();
    EXPECT_EQ(window.pal_files->state.CurrentView, 1);
    EXPECT_TRUE(window.pal_files->smn_recent->isChecked());
    button("sbt_c3")->click();
    EXPECT_EQ(window.frontPanel(), window.pal_files);
    EXPECT_EQ(window.CurrentPanel, window.pal_files);
    EXPECT_EQ(window.PreviousPanel, window.pal_Main);
    EXPECT_EQ(window.pal_files->state.CurrentView, 0) << "a new class shows all items";
    EXPECT_TRUE(window.pal_files->smn_all->isChecked());
    EXPECT_EQ(window.pal_files->lab_Files->text(), QStringLiteral("游戏世界-全部条目"));
    EXPECT_EQ(window.pal_files->lab_Files->x(), (238 - window.pal_files->lab_Files->width()) / 2);
    EXPECT_EQ(window.pal_files->lab_pagenum->text(), QStringLiteral("1/3页"));
    EXPECT_EQ(window.pal_files->filesModel->rowCount(), 10);
    EXPECT_TRUE(pagingEnabled(false, false, true, true));
    expectPagingLooks();

    window.pal_files->sb_lastpage->click();
    EXPECT_EQ(window.pal_files->lab_pagenum->text(), QStringLiteral("3/3页"));
    EXPECT_EQ(window.pal_files->filesModel->rowCount(), 5);
    EXPECT_TRUE(pagingEnabled(true, true, false, false));
    window.pal_files->sb_priorpage->click();
    EXPECT_EQ(window.pal_files->lab_pagenum->text(), QStringLiteral("2/3页"));
    EXPECT_TRUE(pagingEnabled(true, true, true, true));
    window.pal_files->sb_firstpage->click();
    EXPECT_EQ(window.pal_files->lab_pagenum->text(), QStringLiteral("1/3页"));
    window.close();
}

TEST_F(ListPanel, APageLabelOfTenThousandPagesShowsBothNumbersWhole)
{
    catalogue.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000)"
                                  " INSERT INTO tb_Files (FileID, ColumeID, DisplayName, UploadDate)"
                                  " SELECT 200000 + i, 31, '批量' || i, '2002-01-01' FROM n"));
    window.show();
    const QFont own = window.pal_files->lab_pagenum->font();
    const auto fits = [&] {
        return QFontMetrics(window.pal_files->lab_pagenum->font())
                   .horizontalAdvance(window.pal_files->lab_pagenum->text()) <= 63;
    };
    window.ListItems(QStringLiteral("游戏世界"), 3, browse::LastPage);
    EXPECT_EQ(window.pal_files->lab_pagenum->text(), QStringLiteral("10003/10003页"));
    EXPECT_TRUE(fits());
    EXPECT_LT(QFontInfo(window.pal_files->lab_pagenum->font()).pixelSize(), QFontInfo(own).pixelSize());
    EXPECT_GE(QFontInfo(window.pal_files->lab_pagenum->font()).pixelSize(), 8);
    EXPECT_EQ(window.pal_files->lab_pagenum->toolTip(), QStringLiteral("10003/10003页"));
    EXPECT_EQ(window.pal_files->lab_pagenum->geometry(), QRect(170, 7, 63, 12)) << "the label keeps its place and size";

    window.ListItems(QStringLiteral("MTV精选"), 1, browse::FirstPage);
    EXPECT_EQ(window.pal_files->lab_pagenum->text(), QStringLiteral("1/1页"));
    EXPECT_EQ(window.pal_files->lab_pagenum->font(), own) << "a short text is shown in the label's own font";
    EXPECT_TRUE(window.pal_files->lab_pagenum->toolTip().isEmpty());
    window.close();
}

TEST_F(ListPanel, ViewsAndColumnsNarrowTheList)
{
    window.ListItems(QStringLiteral("游戏世界"), 3, browse::FirstPage);
    EXPECT_EQ(columnEntries(), (QStringList{browse::kAllColumns, QStringLiteral("益智游戏"), QStringLiteral("动作")}));
    EXPECT_TRUE(window.pal_files->mni_Colume->isEnabled());

    window.pal_files->sb_nextpage->click();
    window.pal_files->smn_clicked->trigger();
    EXPECT_EQ(window.pal_files->state.CurrentView, 2);
    EXPECT_TRUE(window.pal_files->smn_clicked->isChecked());
    EXPECT_EQ(window.pal_files->state.CurrentPage, 1);
    EXPECT_EQ(window.pal_files->lab_Files->text(), QStringLiteral("游戏世界-已点击条目"));
    EXPECT_EQ(window.pal_files->lab_pagenum->text(), QStringLiteral("1/2页"));

    window.pal_files->mni_Colume->actions().at(2)->trigger(); // 动作
    EXPECT_EQ(window.pal_files->state.ColumnFilter, QStringLiteral("动作"));
    EXPECT_EQ(window.pal_files->state.CurrentView, 2) << "a column keeps the view";
    EXPECT_EQ(window.pal_files->lab_Files->text(), QStringLiteral("游戏世界-已点击条目(动作)"));
    EXPECT_EQ(window.pal_files->filesModel->rowCount(), 2);

    window.pal_files->mni_Colume->actions().at(0)->trigger(); // 所有栏目
    EXPECT_TRUE(window.pal_files->state.ColumnFilter.isEmpty());
    EXPECT_EQ(window.pal_files->lab_Files->text(), QStringLiteral("游戏世界-已点击条目"));

    // Another class: all items again, the view mark follows.
    window.findChild<QToolButton *>(QStringLiteral("sbt_c1"))->click();
    EXPECT_EQ(window.pal_files->state.CurrentView, 0);
    EXPECT_TRUE(window.pal_files->smn_all->isChecked());
    EXPECT_EQ(window.pal_files->lab_Files->text(), QStringLiteral("MTV 精选-全部条目"));
}

TEST_F(ListPanel, EmptyListDisablesPagingAndColumns)
{
    catalogue.exec(QStringLiteral("UPDATE tb_Colume SET Subscribed = 0"));
    window.ListItems(QStringLiteral("游戏世界"), 3, browse::FirstPage);
    EXPECT_EQ(window.pal_files->lab_pagenum->text(), QStringLiteral("0/0页"));
    EXPECT_TRUE(pagingEnabled(false, false, false, false));
    expectPagingLooks();
    EXPECT_FALSE(window.pal_files->mni_Colume->isEnabled());
    EXPECT_EQ(window.pal_files->filesModel->rowCount(), 0);
}

TEST_F(ListPanel, SpecialLists)
{
    window.sb_refresh->click();
    EXPECT_EQ(window.pal_files->lab_Files->text(), QStringLiteral("最近更新"));
    EXPECT_EQ(window.pal_files->state.CurrentClass, browse::RecentListClass);
    window.findChild<QToolButton *>(QStringLiteral("sbt_c6"))->click();
    EXPECT_EQ(window.pal_files->lab_Files->text(), QStringLiteral("最新排行-全部条目"));
    EXPECT_EQ(window.pal_files->state.CurrentClass, browse::RankingListClass);
    EXPECT_EQ(window.pal_files->filesModel->row(0).fileId, QStringLiteral("3125"));
}

TEST_F(ListPanel, TheContextMenuFollowsTheItemUnderThePointer)
{
    window.show();
    window.ListItems(QStringLiteral("游戏世界"), 3, browse::FirstPage);
    const QRect second = window.pal_files->lv_Files->visualRect(window.pal_files->filesModel->index(1, 0));
    QMouseEvent move(QEvent::MouseMove, second.center(),
                     window.pal_files->lv_Files->viewport()->mapToGlobal(second.center()), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(window.pal_files->lv_Files->viewport(), &move);
    EXPECT_EQ(window.listPointer->ListMousePos, second.center());

    // The request a right click makes; the menu's corner lands one pixel above
    // and left of the pointer (the list's place in the window less the
    // panel's + 10, + 72).
    QContextMenuEvent request(QContextMenuEvent::Mouse, second.center(),
                              window.pal_files->lv_Files->viewport()->mapToGlobal(second.center()));
    QApplication::sendEvent(window.pal_files->lv_Files->viewport(), &request);
    EXPECT_EQ(window.pal_files->lv_Files->currentIndex().row(), 1);
    EXPECT_TRUE(window.pal_files->lv_Files->selectionModel()->selectedRows().isEmpty())
        << "the selection is left alone";
    EXPECT_EQ(window.pal_files->PopupListView, window.pal_files->lv_Files);
    ASSERT_TRUE(window.pal_files->pm_Files->isVisible());
    EXPECT_EQ(window.pal_files->pm_Files->pos(),
              window.pal_files->lv_Files->viewport()->mapToGlobal(second.center()) - QPoint(1, 1));
    for (QAction *a :
         {window.pal_files->mni_onlineview, window.pal_files->mni_deleteFile, window.pal_files->mni_saveas,
          window.pal_files->mni_antdownload, window.pal_files->mni_flashgetdownload, window.pal_files->mni_downall_ant,
          window.pal_files->mni_downall_flashget, window.pal_files->mni_Loadnetant, window.pal_files->mni_loadFlashget})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    window.pal_files->pm_Files->hide();

    const QPoint below(20, window.pal_files->lv_Files->viewport()->height() - 2);
    ASSERT_FALSE(window.pal_files->lv_Files->indexAt(below).isValid());
    window.pal_files->lv_FilesContextPopup(below);
    for (QAction *a :
         {window.pal_files->mni_onlineview, window.pal_files->mni_deleteFile, window.pal_files->mni_saveas,
          window.pal_files->mni_antdownload, window.pal_files->mni_flashgetdownload, window.pal_files->mni_downall_ant,
          window.pal_files->mni_downall_flashget, window.pal_files->mni_Loadnetant, window.pal_files->mni_loadFlashget})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    EXPECT_TRUE(window.pal_files->mni_view->menuAction()->isEnabled());
    EXPECT_TRUE(window.pal_files->T1->isEnabled());
    window.pal_files->pm_Files->hide();
}

TEST_F(ListPanel, TheTipOfARow)
{
    window.ListItems(QStringLiteral("游戏世界"), 3, browse::FirstPage);
    const QString tip = window.pal_files->filesModel->index(0, 0).data(Qt::ToolTipRole).toString();
    // The first row is the newest item of the class's first column.
    EXPECT_EQ(tip, QStringLiteral(
                       "\r\n*****更多功能，请点击鼠标右键*****\r\n\r\n[ID]：3120\r\n\r\n[说    明]：说明3120\r\n\r\n"
                       "[作    者]：作者\r\n[更新日期]：2003-1-20 10:00:00\r\n"));
}

TEST_F(ListPanel, LongAndStrangeTextsAreShownShortened)
{
    // Names and descriptions as another program may write them: very long,
    // with control characters, a right-to-left override, broken UTF-8, NUL.
    const QString strange =
        QStringLiteral("\x01\x1b\t") + QChar(0x202E) + QString(100000, u'长') + QChar(0x200F) + QStringLiteral("末");
    catalogue.addColumn(33, 3, strange);
    for (int i = 1; i <= 10; ++i)
        catalogue.addItem(3300 + i, 33, strange, QStringLiteral("2003-02-%1 10:00:00").arg(i, 2, 10, QLatin1Char('0')));
    catalogue.exec(QStringLiteral("UPDATE tb_Files SET FileDesc = DisplayName || char(0) || CAST(X'EDA080FF' AS TEXT),"
                                  " Owner = DisplayName, Filename = DisplayName WHERE ColumeID = 33"));
    window.show();
    window.ListItems(QStringLiteral("游戏世界"), 3, browse::FirstPage);
    QAction *strangeEntry = nullptr;
    for (QAction *a : window.pal_files->mni_Colume->actions()) {
        EXPECT_LE(a->text().size(), 64) << "menu entries are shortened";
        if (a->data().toString() == strange)
            strangeEntry = a;
    }
    ASSERT_NE(strangeEntry, nullptr) << "the entry still chooses the whole name";
    strangeEntry->trigger();
    ASSERT_EQ(window.pal_files->filesModel->rowCount(), 10);
    EXPECT_EQ(window.pal_files->filesModel->row(0).caption, strange) << "the row keeps the whole text";
    EXPECT_LE(window.pal_files->lab_Files->text().size(), 64);
    EXPECT_TRUE(window.pal_files->lab_Files->text().endsWith(QStringLiteral("...")));
    EXPECT_LE(window.pal_files->lab_Files->width(), 2 * window.pal_files->width());

    const QModelIndex first = window.pal_files->filesModel->index(0, 0);
    EXPECT_LE(first.data(Qt::DisplayRole).toString().size(), 256 + 2) << "255 characters and the ellipsis";
    const QString tip = first.data(Qt::ToolTipRole).toString();
    EXPECT_LT(tip.size(), 2000);
    QString tipText = tip;
    tipText.remove(u'\r').remove(u'\n');
    for (const QChar c : tipText)
        EXPECT_NE(c.category(), QChar::Other_Control) << "no control characters in the tip: " << int(c.unicode());

    // Drawing the list and showing a tip and the menu go through.
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    EXPECT_TRUE(window.grab().save(QStringLiteral(SCREENSHOT_DIR "/list-strange-texts.png")));
    const QPoint centre = window.pal_files->lv_Files->visualRect(first).center();
    QHelpEvent help(QEvent::ToolTip, centre, window.pal_files->lv_Files->viewport()->mapToGlobal(centre));
    QApplication::sendEvent(window.pal_files->lv_Files->viewport(), &help);
    EXPECT_EQ(QToolTip::text().size(), tip.size());
    QToolTip::hideText();
    window.pal_files->mni_Colume->popup(QPoint(0, 0));
    EXPECT_FALSE(window.pal_files->mni_Colume->grab().isNull());
    window.pal_files->mni_Colume->hide();
    window.hide();
}

TEST_F(ListPanel, BackReturnsToTheStartPanel)
{
    window.sb_back->click();
    EXPECT_EQ(window.frontPanel(), window.pal_Main) << "nothing to go back to";
    EXPECT_EQ(window.CurrentPanel, nullptr);

    window.ListItems(QStringLiteral("游戏世界"), 3, browse::FirstPage);
    window.sb_back->click();
    EXPECT_EQ(window.frontPanel(), window.pal_Main);
    EXPECT_EQ(window.CurrentPanel, window.pal_files) << "the current panel stays";
    window.sb_back->click();
    EXPECT_EQ(window.frontPanel(), window.pal_Main);

    // From a recommendation item list: first the groups, then the start panel.
    window.CurrentPanel = window.pal_RecommendItem;
    window.PreviousPanel = window.pal_Recommend;
    window.sb_back->click();
    EXPECT_EQ(window.frontPanel(), window.pal_Recommend);
    EXPECT_EQ(window.CurrentPanel, window.pal_Recommend);
    EXPECT_EQ(window.PreviousPanel, window.pal_Main);
    window.sb_back->click();
    EXPECT_EQ(window.frontPanel(), window.pal_Main);

    window.sb_about->click();
    EXPECT_EQ(window.frontPanel(), window.pal_About);
    window.findChild<QToolButton *>(QStringLiteral("sbt_c5"))->click();
    EXPECT_EQ(window.frontPanel(), window.pal_Club);
    window.sb_back->click();
    EXPECT_EQ(window.frontPanel(), window.pal_Main);
}

TEST_F(ListPanel, TheAboutPanel)
{
    window.sb_about->click();
    QStringList texts;
    for (QLabel *l : window.pal_About->findChildren<QLabel *>())
        texts << l->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("关于")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Kelvo在线 - Flash吧")));
    EXPECT_EQ(window.pal_About->Label2->hint(), QStringLiteral("http://127.0.0.1:8731/"));
    EXPECT_TRUE(window.pal_About->Label3->hint().startsWith(QStringLiteral("mailto:")));
    EXPECT_TRUE(window.pal_About->Label5->hint().startsWith(QStringLiteral("http")));
    // Every text fits its place inside the panel, none cut off.
    for (QLabel *l : window.pal_About->findChildren<QLabel *>()) {
        EXPECT_LE(l->geometry().bottom(), window.pal_About->height()) << l->text().toStdString();
        if (l->wordWrap()) {
            EXPECT_LE(l->heightForWidth(l->width()), l->height()) << l->text().toStdString();
        }
    }
    for (skin::LinkLabel *l : {window.pal_About->Label2, window.pal_About->Label3, window.pal_About->Label5}) {
        EXPECT_GE(l->x(), 0);
        EXPECT_LE(l->geometry().right(), 238);
    }
}

TEST_F(ListPanel, AFailingLoadLeavesTheListAsItWas)
{
    window.ListItems(QStringLiteral("游戏世界"), 3, browse::FirstPage);
    catalogue.exec(QStringLiteral("DROP VIEW qry_FilesRecent"));
    EXPECT_THROW(window.ListItems(QStringLiteral("最近更新"), browse::RecentListClass, browse::FirstPage),
                 DatabaseError);
    EXPECT_EQ(window.pal_files->lab_Files->text(), QStringLiteral("游戏世界-全部条目"));
    EXPECT_EQ(window.pal_files->filesModel->rowCount(), 10);
    EXPECT_FALSE(dm.aq_all.active());

    // A view or a column whose load fails is not taken either.
    catalogue.exec(QStringLiteral("DROP VIEW qry_FilesLast"));
    EXPECT_THROW(window.pal_files->smn_recent->trigger(), DatabaseError);
    EXPECT_EQ(window.pal_files->state.CurrentView, 0);
    EXPECT_TRUE(window.pal_files->smn_all->isChecked());
    catalogue.exec(QStringLiteral("DROP VIEW qry_files"));
    catalogue.exec(QStringLiteral("DROP VIEW ") + store::setViewName(QStringLiteral("qry_files")));
    EXPECT_THROW(window.pal_files->mni_Colume->actions().at(1)->trigger(), DatabaseError);
    EXPECT_TRUE(window.pal_files->state.ColumnFilter.isEmpty());
    EXPECT_EQ(window.pal_files->state.CurrentClass, 3);
    EXPECT_EQ(window.pal_files->state.CurrentPage, 1);
    EXPECT_EQ(window.pal_files->lab_Files->text(), QStringLiteral("游戏世界-全部条目"));
}

} // namespace
