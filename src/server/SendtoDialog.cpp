#include "server/SendtoDialog.h"

#include "browser/BrowserWindow.h"
#include "platform/Prompter.h"
#include "server/PostdataDialog.h"
#include "server/ResultCode.h"
#include "store/DatabaseError.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int kFieldLeft = 104;
constexpr int kFieldWidth = 185;
constexpr int kLabelLeft = 32;

QLineEdit *lineEdit(QWidget *parent, const char *name, const QString &label, int top)
{
    auto *caption = new QLabel(label, parent);
    caption->setObjectName(QStringLiteral("lab_") + QLatin1String(name));
    caption->move(kLabelLeft, top + 3);
    caption->adjustSize();
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(kFieldLeft, top, kFieldWidth, 20);
    return edit;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, int left)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(left, 232, 75, 25);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TFrm_Sendto::TFrm_Sendto(platform::Prompter &prompter, const QString &site, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_prompter(prompter), m_site(site)
{
    setObjectName(QStringLiteral("Frm_Sendto"));
    setWindowTitle(QStringLiteral("发送"));
    setFixedSize(325, 275);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(0, 0, 325, 275);

    ed_Filename = lineEdit(Panel1, "ed_Filename", QStringLiteral("发送："), 24);
    ed_Filename->setEnabled(false);
    ed_ToEmail = lineEdit(Panel1, "ed_ToEmail", QStringLiteral("对方Email："), 53);
    ed_ToName = lineEdit(Panel1, "ed_ToName", QStringLiteral("对方称呼："), 85);
    auto *memoLabel = new QLabel(QStringLiteral("留言："), Panel1);
    memoLabel->setObjectName(QStringLiteral("lab_ed_Memo"));
    memoLabel->move(kLabelLeft, 120);
    memoLabel->adjustSize();
    ed_Memo = new QPlainTextEdit(Panel1);
    ed_Memo->setObjectName(QStringLiteral("ed_Memo"));
    ed_Memo->setGeometry(kFieldLeft, 117, kFieldWidth, 68);
    // Enter starts a new line; Tab moves on as in the other inputs.
    ed_Memo->setTabChangesFocus(true);
    ed_Fromname = lineEdit(Panel1, "ed_Fromname", QStringLiteral("签名："), 197);

    btn_Preview = button(Panel1, "btn_Preview", QStringLiteral("预览(&P)"), 40);
    btn_Send = button(Panel1, "btn_Send", QStringLiteral("发送(&S)"), 128);
    btn_Send->setDefault(true);
    btn_Cancel = button(Panel1, "btn_Cancel", QStringLiteral("关闭(&C)"), 216);

    // Tab order: e-mail, name, message, signature, send, close, item, preview.
    QWidget *const order[] = {ed_ToEmail, ed_ToName,  ed_Memo,     ed_Fromname,
                              btn_Send,   btn_Cancel, ed_Filename, btn_Preview};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(btn_Send, &QPushButton::clicked, this, &TFrm_Sendto::btn_SendClick);
    connect(btn_Preview, &QPushButton::clicked, this, &TFrm_Sendto::btn_PreviewClick);
    connect(btn_Cancel, &QPushButton::clicked, this, &TFrm_Sendto::btn_CancelClick);
}

void TFrm_Sendto::ShowForItem(int fileId, const QString &name)
{
    CardFileID = fileId;
    ed_Filename->setText(name);
    ed_Filename->setCursorPosition(0);
    exec();
}

void TFrm_Sendto::showEvent(QShowEvent *event)
{
    FormShow();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
    ed_ToEmail->setFocus();
}

void TFrm_Sendto::FormShow()
{
    ed_ToEmail->clear();
    ed_ToName->clear();
    ed_Fromname->clear();
    ed_Memo->clear();
}

server::Card TFrm_Sendto::card() const
{
    return {CardFileID,
            ed_Filename->text(),
            ed_ToEmail->text(),
            ed_ToName->text(),
            server::withCrLf(ed_Memo->toPlainText()),
            ed_Fromname->text()};
}

QWidget *TFrm_Sendto::fieldWidget(server::CardField field) const
{
    switch (field) {
    case server::CardField::ToMail:
        return ed_ToEmail;
    case server::CardField::ToName:
        return ed_ToName;
    case server::CardField::Body:
        return ed_Memo;
    case server::CardField::FromName:
        break;
    }
    return ed_Fromname;
}

bool TFrm_Sendto::ValidateCard()
{
    const std::optional<server::CardField> blank = server::firstBlankField(card());
    if (!blank)
        return true;
    m_prompter.ask(QStringLiteral("提示"), server::blankFieldMessage(*blank), platform::Prompter::Icon::None,
                   platform::Prompter::Buttons::Ok);
    fieldWidget(*blank)->setFocus();
    return false;
}

void TFrm_Sendto::btn_SendClick()
{
    if (!ValidateCard() || !m_poster)
        return;
    const server::Card sent = card();
    const int code = m_poster->PostForm(QStringLiteral("Cards/PostCards.asp"), QStringLiteral("状态：  正在发送..."),
                                        server::cardForm(sent));
    if (code != server::kSuccess)
        return;
    m_prompter.inform(QStringLiteral("提示"), QStringLiteral("贺卡已经发送到对方的邮箱！"));
    try {
        if (!m_dm)
            throw DatabaseError(QStringLiteral("没有数据模块"));
        server::recordSentCard(*m_dm, sent, QDateTime::currentDateTime());
    } catch (const DatabaseError &e) {
        // The card went out; only its record is missing.
        m_prompter.showError(e.text());
    }
}

void TFrm_Sendto::btn_PreviewClick()
{
    if (!ValidateCard() || !m_browser)
        return;
    m_browser->ShowPage(server::cardPreviewAddress(m_site, card()), {}, {});
}

void TFrm_Sendto::btn_CancelClick()
{
    close();
}
