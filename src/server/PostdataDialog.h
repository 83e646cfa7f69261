#pragma once

#include "server/FormEncoding.h"

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;

namespace browser {
class PlayerServer;
class WebView;
} // namespace browser

namespace platform {
class Prompter;
}

// The posting dialog: a hidden web view posts a form to a page of the site
// while a small modal dialog waits, and the first line of the answer page's
// text becomes the result code. One instance, kept for the whole run.
class TFrm_Postdata final : public QDialog
{
    Q_OBJECT
public:
    TFrm_Postdata(platform::Prompter &prompter, browser::PlayerServer &player, const QString &site,
                  QWidget *parent = nullptr);

    // Posts the pairs to `page` (a path on the site), shows `status` and
    // waits for the answer; shows the message of any code but 0 and returns
    // the code.
    int PostForm(const QString &page, const QString &status, const server::FormPairs &pairs);
    int GetResultCode() const { return ResultCode; }
    QString siteAddress() const { return m_site; }

    browser::WebView *WebBrowser1;
    QWidget *Panel1;
    QLabel *Label1;
    QLabel *Label2;
    QProgressBar *ProgressBar1;
    QPushButton *Button2;
    int ResultCode = 99999;

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Button2Click();
    void WebBrowser1ProgressChange(int progress, int maximum);
    void WebBrowser1DocumentComplete(bool ok);

    platform::Prompter &m_prompter;
    QString m_site;
    bool m_waiting = false;
    quint64 m_post = 0; // counts posts, so that a late answer of an old one is ignored
};
