#pragma once

#include "search/ClassTree.h"
#include "ui/skin/SkinnedWindow.h"

#include <QElapsedTimer>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QSplitter;
class QTableView;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TDM_CDS;
class TFrm_Browser;

namespace search {
class IndexLoader;
class SearchResultModel;
} // namespace search
namespace skin {
class ListPointer;
}
namespace platform {
class Prompter;
}

// The search window: a class tree, class and column boxes and a keyword;
// the local search lists the items found, the online search asks the site.
// Made at start-up and hidden; closing it hides it again.
class TFrm_Search final : public skin::SkinnedWindow
{
    Q_OBJECT
public:
    // Errors (a skin file that cannot be read) are shown through `prompter`.
    TFrm_Search(platform::Prompter &prompter, TDM_CDS &dm, TFrm_Browser &browser, const QString &programDir,
                const QString &site, QWidget *parent = nullptr);
    ~TFrm_Search() override;

    // Starts reading the search index in the background; the catalogue
    // must have been opened once (it is brought up to date then).
    void startIndexing();
    search::IndexLoader &indexLoader() { return *m_loader; }

    // "搜索" in the main window's header.
    void sb_searchClick();

    // Handlers.
    void FormShow();
    void LoadClassTree();
    void FillColumnCombo(const QString &className);
    void cb_classChange();
    void tv_classChange(QTreeWidgetItem *node);
    void SpeedButton1Click();
    void SpeedButton2Click();
    void lv_FilesDblClick();

    QComboBox *cb_class;
    QComboBox *cb_colume;
    QLineEdit *ed_keyword;
    QToolButton *SpeedButton1;
    QToolButton *SpeedButton2;
    QTreeWidget *tv_class;
    QSplitter *Splitter1;
    QTableView *lv_Files;
    search::SearchResultModel *filesModel;
    QWidget *StatusBar2;
    QLabel *statusPanels[4];
    // Where the pointer last was over the list.
    skin::ListPointer *listPointer;

signals:
    // A local search has filled the first screen of the list.
    void searched();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildTopBar(QWidget *bar);
    void buildStatusBar();
    void buildResultList();
    void runLocalSearch();
    void indexProgress(int percent);
    void indexFinished(bool ok);

    TDM_CDS &m_dm;
    TFrm_Browser &m_browser;
    QString m_programDir;
    QString m_site;
    search::ClassTree m_tree;
    search::IndexLoader *m_loader;
    QElapsedTimer m_indexClock;
    bool m_searchPending = false;
    bool m_indexReadHere = false; // read on this thread, without the loader
};
