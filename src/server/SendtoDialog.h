#pragma once

#include "server/Cards.h"

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TDM_CDS;
class TFrm_Browser;
class TFrm_Postdata;

namespace platform {
class Prompter;
}

// The card dialog: sends an item to a friend as a greeting card that the
// site mails, or shows the card's preview page. One instance, kept for the
// whole run; each showing clears the inputs.
class TFrm_Sendto final : public QDialog
{
    Q_OBJECT
public:
    TFrm_Sendto(platform::Prompter &prompter, const QString &site, QWidget *parent = nullptr);

    // Made after the dialog; handed over here.
    void setDataModule(TDM_CDS *dataModule) { m_dm = dataModule; }
    void setPoster(TFrm_Postdata *poster) { m_poster = poster; }
    void setBrowser(TFrm_Browser *browser) { m_browser = browser; }

    // Shows the dialog modally for an item; returns when it closes.
    void ShowForItem(int fileId, const QString &name);
    bool ValidateCard();
    // The card as the inputs hold it now.
    server::Card card() const;

    void btn_SendClick();
    void btn_PreviewClick();
    void btn_CancelClick();

    int CardFileID = 0;
    QFrame *Panel1;
    QLineEdit *ed_Filename;
    QLineEdit *ed_ToEmail;
    QLineEdit *ed_ToName;
    QPlainTextEdit *ed_Memo;
    QLineEdit *ed_Fromname;
    QPushButton *btn_Preview;
    QPushButton *btn_Send;
    QPushButton *btn_Cancel;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    QWidget *fieldWidget(server::CardField field) const;

    platform::Prompter &m_prompter;
    QString m_site;
    TDM_CDS *m_dm = nullptr;
    TFrm_Postdata *m_poster = nullptr;
    TFrm_Browser *m_browser = nullptr;
};
