#pragma once

#include <QLabel>

namespace skin {

// A label drawn as a link that opens its hint (an address) when clicked.
class LinkLabel final : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(QWidget *parent = nullptr);
    QString hint() const { return toolTip(); }
    void setHint(const QString &address) { setToolTip(address); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace skin
