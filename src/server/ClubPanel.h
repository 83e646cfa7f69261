#pragma once

#include "ui/skin/TitledPanel.h"

#include <QString>

class QLabel;
class QListWidget;
class TFrm_Browser;

namespace skin {
class ListPointer;
}

namespace server {

struct LoginState;

// The community panel: the site's community pages as large icons. A
// double-click on the focused page opens it in the browser window, posting
// the login of the moment so that the site shows the user's own view.
class ClubPanel final : public skin::TitledPanel
{
    Q_OBJECT
public:
    // `pointer` follows the pointer over the main window's lists; `login` is
    // read at each double-click.
    ClubPanel(skin::ListPointer &pointer, const LoginState &login, const QString &site, QWidget *parent = nullptr);

    void setBrowser(TFrm_Browser *browser) { m_browser = browser; }

    QLabel *lab_Club;
    QListWidget *lv_Club;

    void lv_ClubDblClick();

private:
    skin::ListPointer &m_pointer;
    const LoginState &m_login;
    TFrm_Browser *m_browser = nullptr;
};

} // namespace server
