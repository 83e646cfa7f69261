#pragma once

#include "ui/skin/TitledPanel.h"

namespace skin {
class LinkLabel;
}

namespace app {

// The About panel: the product, its version, its makers and their links.
class AboutPanel final : public skin::TitledPanel
{
    Q_OBJECT
public:
    // `site` is the web site's home page, the first link.
    explicit AboutPanel(const QString &site, QWidget *parent = nullptr);

    skin::LinkLabel *Label2;
    skin::LinkLabel *Label3;
    skin::LinkLabel *Label5;

signals:
    // A link was clicked: its address is to be opened, with `label` beside
    // any tip about it.
    void linkClicked(const QString &address, QWidget *label);

private:
    QLabel *text(const QString &content, int top, const char *name = nullptr);
    skin::LinkLabel *link(const char *name, const QString &content, const QString &address, int top);
};

} // namespace app
