#pragma once

#include "ui/skin/SkinnedWindow.h"

#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QString>

#include <array>

class QTimer;
class QToolButton;
class TDM_CDS;

namespace platform {
class Prompter;
}

// A label drawn as a link that opens its hint (an address) when clicked.
class LinkLabel final : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(QWidget *parent = nullptr);
    QString hint() const { return toolTip(); }
    void setHint(const QString &address) { setToolTip(address); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The main window: header, the stack of content panels, footer.
class TFrm_Main final : public skin::SkinnedWindow
{
    Q_OBJECT
public:
    TFrm_Main(platform::Prompter &prompter, const QString &site, QWidget *parent = nullptr);

    // The data module is made after the main window; it is handed over here.
    void setDataModule(TDM_CDS *dataModule) { m_dm = dataModule; }

    // Shows a content panel: it comes to the front and becomes current, and
    // "返回" leads to the start panel.
    void showPanel(QWidget *panel);
    // The panel that is in front.
    QWidget *frontPanel() const { return m_front; }

    // A notice that `count` new items arrived.
    void newItemsNotice(int count);

    // Shared window state.
    QString ProgramDir;
    QWidget *CurrentPanel = nullptr;
    QWidget *PreviousPanel = nullptr;
    int CurrentView = 0;
    int CurrentPage = 1;
    QString LoggedInUser;
    QString LoggedInPassword;
    bool IsOnline = false;
    // Row pictures: not downloaded, local copy, downloaded.
    std::array<QPixmap, 3> itemBitmaps;

    QWidget *pal_Backgroud;
    QWidget *pal_header;
    QWidget *pal_footer;
    LinkLabel *lab_Footinfo;
    QToolButton *sb_back;
    QToolButton *sb_search;
    QToolButton *sb_refresh;
    QToolButton *sb_set;
    QToolButton *sb_about;
    QToolButton *sb_exit;
    QWidget *pal_Main;
    QWidget *pal_files;
    QWidget *pal_About;
    QWidget *pal_Subscribe;
    QWidget *pal_Recommend;
    QWidget *pal_RecommendItem;
    QWidget *pal_Club;
    QLabel *lab_Files;
    QTimer *tm_advertisement;

signals:
    // The first database access after showing failed; the program ends.
    void databaseUnavailable();
    // The window is shown and the first database access went well.
    void ready();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildHeader();
    void buildFooter();
    void buildPanels();
    void buildClassButtons();
    QWidget *contentPanel(const char *name, const QString &title, const char *titleName, QLabel **titleLabel = nullptr);
    void bringToFront(QWidget *panel);
    void startupGate();
    void tm_advertisementTimer();
    void lab_FootinfoClick();
    void fitFooterLabel();

    platform::Prompter &m_prompter;
    QString m_site;
    TDM_CDS *m_dm = nullptr;
    QWidget *m_front = nullptr;
    bool m_shownOnce = false;
};
