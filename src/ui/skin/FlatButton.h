#pragma once

#include <QColor>
#include <QToolButton>

namespace skin {

// A flat button of the header, toolbars and paging bars: no frame until the
// pointer rests on it, never takes the focus. Disabled, its caption is drawn
// etched, grey over a white copy one pixel down and right, so that it reads
// as disabled on any of the program's bar colours.
class FlatButton final : public QToolButton
{
    Q_OBJECT
public:
    static inline const QColor kDisabledText{128, 128, 128};
    static inline const QColor kDisabledEtch{255, 255, 255};

    FlatButton(const QString &name, const QString &caption, QWidget *parent);

    // The caption's colour while enabled.
    void setTextColour(const QColor &colour);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace skin
