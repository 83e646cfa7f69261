#pragma once

#include <QWidget>

class QLabel;
class QListWidget;

namespace skin {

// A content panel of the main window: white, 238 x 271, under a navy title
// bar 22 pixels high with its title in white, centred.
class TitledPanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 238;
    static constexpr int kHeight = 271;
    static constexpr int kTitleHeight = 22;

    // `name` and `titleName` are the object names of the panel and its title.
    TitledPanel(const char *name, const QString &title, const char *titleName, QWidget *parent = nullptr);

    QLabel *titleLabel() const { return m_title; }
    // Sets the title; the label sizes itself to it and is centred in the panel.
    void setTitle(const QString &title);

protected:
    // A read-only list of large icons under the title, three to a row,
    // named `name`.
    QListWidget *iconList(const char *name);

private:
    QLabel *m_title;
};

} // namespace skin
