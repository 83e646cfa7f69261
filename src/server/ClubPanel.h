#pragma once

#include "ui/skin/TitledPanel.h"

#include <QPoint>
#include <QString>

class QLabel;
class QListWidget;
class TFrm_Browser;

namespace server {

struct LoginState;

// The community panel: the site's community pages as large icons. A
// double-click on the focused page opens it in the browser window, posting
// the login of the moment so that the site shows the user's own view.
class ClubPanel final : public skin::TitledPanel
{
    Q_OBJECT
public:
    // `listMousePos` is the main window's last pointer position over a list;
    // `login` is read at each double-click.
    ClubPanel(QPoint &listMousePos, const LoginState &login, const QString &site, QWidget *parent = nullptr);

    void setBrowser(TFrm_Browser *browser) { m_browser = browser; }

    QLabel *lab_Club;
    QListWidget *lv_Club;

    void lv_RecommendMouseMove(const QPoint &position);
    void lv_ClubDblClick();

private:
    QPoint &m_listMousePos;
    const LoginState &m_login;
    TFrm_Browser *m_browser = nullptr;
};

} // namespace server
