#include "app/AboutPanel.h"

#include "ui/skin/LinkLabel.h"

namespace app {

AboutPanel::AboutPanel(const QString &site, QWidget *parent)
    : TitledPanel("pal_About", QStringLiteral("关于"), "lab_About", parent)
{
    QLabel *product = text(QStringLiteral("Kelvo在线 - Flash吧"), 30, "lab_Product");
    QFont big = product->font();
    big.setPixelSize(16);
    big.setBold(true);
    product->setFont(big);
    text(QStringLiteral("版本 2.01"), 54)->setFixedHeight(16);
    text(QStringLiteral("本程序为 Kelvo在线 Flash 动画目录的桌面客户端：浏览、播放、下载与收藏网站上的动画作品。"), 74)
        ->setFixedHeight(44);
    text(QStringLiteral("程序与界面设计：Kelvo在线开发组"), 122)->setFixedHeight(16);
    Label2 = link("Label2", site, site, 142);
    Label3 =
        link("Label3", QStringLiteral("support@kelvo.example"), QStringLiteral("mailto:support@kelvo.example"), 162);
    text(QStringLiteral("美术设计："), 184)->setFixedHeight(16);
    Label5 = link("Label5", QStringLiteral("蓝鲸设计工作室"), QStringLiteral("http://design.kelvo.example/"), 202);
    text(QStringLiteral("动画作品版权归原作者所有，仅供个人欣赏。"), 228)->setFixedHeight(34);
}

QLabel *AboutPanel::text(const QString &content, int top, const char *name)
{
    auto *label = new QLabel(content, this);
    if (name)
        label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setGeometry(8, top, 222, 40);
    return label;
}

skin::LinkLabel *AboutPanel::link(const char *name, const QString &content, const QString &address, int top)
{
    auto *label = new skin::LinkLabel(this);
    label->setObjectName(QLatin1String(name));
    label->setText(content);
    label->setHint(address);
    label->adjustSize();
    label->resize(label->width(), label->height() + 3);
    label->move((width() - label->width()) / 2, top);
    connect(label, &skin::LinkLabel::clicked, this, [this, label, address] { emit linkClicked(address, label); });
    return label;
}

} // namespace app
