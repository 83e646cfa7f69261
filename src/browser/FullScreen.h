#pragma once

#include <QPointer>
#include <QWidget>

namespace browser {

// A window over the whole screen that holds a browser view while the movie
// is watched full screen. Esc and F11 ask to leave, whatever the page does
// with the keys.
class FullScreenHost final : public QWidget
{
    Q_OBJECT
public:
    // Takes `view` out of its place, fills the screen with it and gives it
    // the keyboard.
    FullScreenHost(QWidget *view, QWidget *owner);
    ~FullScreenHost() override;
    // Puts the view back where it was, at the index it had in its layout,
    // and hides; at the latest when the host goes.
    void giveBack();

signals:
    void leaveRequested();

private:
    QPointer<QWidget> m_view;
    QPointer<QWidget> m_home;
    int m_index = 0;
};

} // namespace browser
