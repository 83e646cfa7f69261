#include "ui/skin/TitledPanel.h"

#include "ui/skin/Colours.h"

#include <QLabel>

namespace skin {

TitledPanel::TitledPanel(const char *name, const QString &title, const char *titleName, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QLatin1String(name));
    fillBackground(this, Qt::white);
    setGeometry(1, 25, kWidth, kHeight);
    auto *bar = new QWidget(this);
    bar->setObjectName(QLatin1String(name) + QStringLiteral("_title"));
    fillBackground(bar, kNavy);
    bar->setGeometry(0, 0, kWidth, kTitleHeight);
    m_title = new QLabel(bar);
    m_title->setObjectName(QLatin1String(titleName));
    QPalette p = m_title->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    m_title->setPalette(p);
    setTitle(title);
}

void TitledPanel::setTitle(const QString &title)
{
    m_title->setText(title);
    m_title->adjustSize();
    m_title->move((width() - m_title->width()) / 2, (kTitleHeight - m_title->height()) / 2);
}

} // namespace skin
