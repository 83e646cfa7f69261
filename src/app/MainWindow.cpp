#include "app/MainWindow.h"

#include "app/AboutPanel.h"
#include "app/Advertisement.h"
#include "common/OpenAddress.h"
#include "platform/Prompter.h"
#include "server/LoginDialog.h"
#include "server/SavedUsers.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"
#include "ui/art/Artwork.h"
#include "ui/skin/Colours.h"
#include "ui/skin/FlatButton.h"
#include "ui/skin/ListPointer.h"
#include "ui/skin/TitledPanel.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>

namespace {

const QColor kBackground(224, 224, 224);
constexpr int kPanelWidth = 238;
constexpr int kPanelHeight = 271;

QToolButton *flatButton(QWidget *parent, const char *name, const QString &caption)
{
    return new skin::FlatButton(QLatin1String(name), caption, parent);
}

struct ClassButton
{
    const char *name;
    int left;
    int top;
    const char16_t *caption;
    int tag;
};

constexpr ClassButton kClassButtons[] = {
    {"sbt_c1", 7, 5, u"MTV 精选", 1},    {"sbt_c2", 82, 5, u"捧腹大笑", 2},     {"sbt_c3", 157, 5, u"游戏世界", 3},
    {"sbt_c4", 7, 70, u"工作室专栏", 4}, {"sbt_c8", 82, 70, u"优秀短片", 8},    {"sbt_c7", 157, 70, u"诗词欣赏", 7},
    {"sbt_c9", 7, 135, u"学习空间", 9},  {"sbt_c12", 82, 135, u"精品广告", 12}, {"sbt_c11", 157, 135, u"贺卡多多", 11},
    {"sbt_c6", 7, 200, u"最新排行", 6},  {"sbt_c10", 82, 200, u"特别推荐", 10}, {"sbt_c5", 157, 200, u"Zanto社区", 5},
};

skin::SkinnedWindow::Style mainStyle()
{
    skin::SkinnedWindow::Style s;
    s.border = skin::BorderStyle::Single;
    s.icons = {true, true, false};
    s.stretchPictures = false;
    s.captionLeft = 78;
    return s;
}

} // namespace

TFrm_Main::TFrm_Main(platform::Prompter &prompter, const QString &site, QWidget *parent)
    : SkinnedWindow(mainStyle(), parent), m_prompter(prompter), m_site(site)
{
    setObjectName(QStringLiteral("Frm_Main"));
    setWindowTitle(QStringLiteral("KelvoFlash吧 2.01"));
    desktopOpener = [](const QUrl &url) { return QDesktopServices::openUrl(url); };

    // The content: background, header, panels, footer.
    pal_Backgroud = new QFrame(PanelBkGnd());
    pal_Backgroud->setObjectName(QStringLiteral("pal_Backgroud"));
    static_cast<QFrame *>(pal_Backgroud)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    skin::fillBackground(pal_Backgroud, kBackground);

    ProgramDir = QDir::currentPath();
    listPointer = new skin::ListPointer(this);

    // Entries 0, 2 and 1 of the list's state icons.
    itemBitmaps = {QPixmap::fromImage(art::stateIcon(0)), QPixmap::fromImage(art::stateIcon(2)),
                   QPixmap::fromImage(art::stateIcon(1))};

    buildHeader();
    buildPanels();
    buildFooter();

    // The start panel is in front; the window's size is its content's plus the
    // frame: a content of 240 x 333, the background's bevel around a 238-pixel
    // panel column and, from the top, header 24, panel 271 and footer 36, in a
    // window of 258 x 395.
    bringToFront(pal_Main);
    setUpFrameForPanel(QSize(240, 333), [this](const QString &text) { m_prompter.showError(text); });
    pal_Backgroud->setGeometry(QRect(QPoint(0, 0), PanelBkGnd()->size()));
    pal_footer->setGeometry(1, pal_Backgroud->height() - 37, pal_Backgroud->width() - 2, 36);
}

void TFrm_Main::buildHeader()
{
    pal_header = new QWidget(pal_Backgroud);
    pal_header->setObjectName(QStringLiteral("pal_header"));
    skin::fillBackground(pal_header, skin::kSkyBlue);
    pal_header->setGeometry(1, 1, kPanelWidth, 24);
    const std::pair<QToolButton **, std::pair<const char *, QString>> buttons[] = {
        {&sb_back, {"sb_back", QStringLiteral("返回")}},       {&sb_search, {"sb_search", QStringLiteral("搜索")}},
        {&sb_refresh, {"sb_refresh", QStringLiteral("最新")}}, {&sb_set, {"sb_set", QStringLiteral("帮助")}},
        {&sb_about, {"sb_about", QStringLiteral("关于")}},     {&sb_exit, {"sb_exit", QStringLiteral("退出")}},
    };
    int left = 0;
    for (const auto &[field, entry] : buttons) {
        *field = flatButton(pal_header, entry.first, entry.second);
        (*field)->setGeometry(left, 0, 40, 23);
        left += 40;
    }
    connect(sb_back, &QToolButton::clicked, this, &TFrm_Main::sb_backClick);
    connect(sb_refresh, &QToolButton::clicked, this, &TFrm_Main::sb_refreshClick);
    connect(sb_set, &QToolButton::clicked, this, &TFrm_Main::sb_setClick);
    connect(sb_about, &QToolButton::clicked, this, &TFrm_Main::sb_aboutClick);
    connect(sb_exit, &QToolButton::clicked, this, &TFrm_Main::sb_exitClick);
}

void TFrm_Main::buildFooter()
{
    pal_footer = new QWidget(pal_Backgroud);
    pal_footer->setObjectName(QStringLiteral("pal_footer"));
    skin::fillBackground(pal_footer, skin::kSkyBlue);
    lab_Footinfo = new skin::LinkLabel(pal_footer);
    lab_Footinfo->setObjectName(QStringLiteral("lab_Footinfo"));
    lab_Footinfo->setText(QStringLiteral("欢迎光临 Kelvo在线 - Flash吧"));
    lab_Footinfo->setHint(m_site);
    lab_Footinfo->move(8, 11);
    fitFooterLabel();
    connect(lab_Footinfo, &skin::LinkLabel::clicked, this, &TFrm_Main::lab_FootinfoClick);

    advertisement = new app::Advertisement(this);
    connect(advertisement, &app::Advertisement::shown, this, &TFrm_Main::showAdvertisement);
}

void TFrm_Main::buildPanels()
{
    pal_Main = new QWidget(pal_Backgroud);
    pal_Main->setObjectName(QStringLiteral("pal_Main"));
    skin::fillBackground(pal_Main, kBackground);
    pal_Main->setGeometry(1, 25, kPanelWidth, kPanelHeight);
    buildClassButtons();

    buildFilesPanel();
    pal_About = new app::AboutPanel(m_site, pal_Backgroud);
    connect(pal_About, &app::AboutPanel::linkClicked, this, &TFrm_Main::openWithDesktop);
    buildSubscribePanels();
    buildClubPanel();
}

void TFrm_Main::buildClassButtons()
{
    for (const ClassButton &c : kClassButtons) {
        auto *b = flatButton(pal_Main, c.name, QString::fromUtf16(c.caption));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setIcon(QIcon(QPixmap::fromImage(art::classButtonPicture(c.tag))));
        b->setIconSize(QSize(40, 36));
        b->setGeometry(c.left, c.top, 75, 65);
        b->setProperty("Tag", c.tag);
        b->setCursor(Qt::PointingHandCursor);
        // Classes list their items; the other three have commands of their own.
        if (c.tag == 6)
            connect(b, &QToolButton::clicked, this, &TFrm_Main::sbt_c6Click);
        else if (c.tag == 5)
            connect(b, &QToolButton::clicked, this, &TFrm_Main::sbt_c5Click);
        else if (c.tag == 10)
            connect(b, &QToolButton::clicked, this, &TFrm_Main::sbt_c10Click);
        else
            connect(b, &QToolButton::clicked, this, &TFrm_Main::sbt_c1Click);
    }
    pal_Main->findChild<QToolButton *>(QStringLiteral("sbt_c1"))->setToolTip(QStringLiteral("this is all beauty girl"));
}

std::array<QPixmap, 3> TFrm_Main::itemIcons() const
{
    return {itemBitmaps[0], itemBitmaps[2], itemBitmaps[1]};
}

void TFrm_Main::bringToFront(QWidget *panel)
{
    panel->raise();
    m_front = panel;
}

void TFrm_Main::showPanel(QWidget *panel)
{
    PreviousPanel = pal_Main;
    CurrentPanel = panel;
    bringToFront(panel);
}

void TFrm_Main::newItemsNotice(int count)
{
    if (count <= 0)
        return;
    QPalette p = sb_refresh->palette();
    p.setColor(QPalette::ButtonText, QColor(255, 0, 0));
    sb_refresh->setPalette(p);
}

void TFrm_Main::showEvent(QShowEvent *event)
{
    SkinnedWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    advertisement->start();
    pal_files->startWithLatest();
    QTimer::singleShot(0, this, &TFrm_Main::startupGate);
}

void TFrm_Main::closeEvent(QCloseEvent *event)
{
    SkinnedWindow::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

// The login gate: the login dialog lists the saved users (the first
// database access, which decides whether the program can work at all) and
// asks; without a login the program ends.
void TFrm_Main::startupGate()
{
    if (m_login) {
        switch (m_login->ShowModal(m_askLogin)) {
        case TFrm_Login::Outcome::LoggedIn:
            emit ready();
            return;
        case TFrm_Login::Outcome::Cancelled:
            close();
            return;
        case TFrm_Login::Outcome::DatabaseFailed:
            emit databaseUnavailable();
            close();
            return;
        }
    }
    try {
        if (!m_dm)
            throw DatabaseError(QStringLiteral("没有数据模块"));
        server::listSavedUsers(*m_dm);
    } catch (const DatabaseError &) {
        m_prompter.showError(QStringLiteral("数据库读写失败，您的数据库不能正常打开！"));
        emit databaseUnavailable();
        close();
        return;
    }
    emit ready();
}

void TFrm_Main::showAdvertisement(const QString &text, const QString &address)
{
    lab_Footinfo->setText(text);
    fitFooterLabel();
    lab_Footinfo->setHint(address);
}

// The label sizes itself to its text, with room below for the underline.
void TFrm_Main::fitFooterLabel()
{
    lab_Footinfo->adjustSize();
    lab_Footinfo->resize(lab_Footinfo->width(), lab_Footinfo->height() + 3);
}

void TFrm_Main::lab_FootinfoClick()
{
    openWithDesktop(lab_Footinfo->hint(), lab_Footinfo);
}

bool TFrm_Main::openWithDesktop(const QString &address, QWidget *near)
{
    // Advertisement addresses come from the catalogue: no local files.
    const OpenAddress verdict = CheckOpenAddress(address);
    if (verdict.refused()) {
        QToolTip::showText(near->mapToGlobal(near->rect().bottomLeft()), verdict.reason, near);
        return false;
    }
    return desktopOpener(verdict.url);
}
