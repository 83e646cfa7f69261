#pragma once

#include "ui/skin/TitledPanel.h"

#include <QPoint>

class QLabel;
class QListWidget;
class TDM_CDS;

namespace subscribe {

// The special recommendations' category panel: the catalogue's categories
// as icons; a double-click on one opens its items.
class RecommendPanel final : public skin::TitledPanel
{
    Q_OBJECT
public:
    // `listMousePos` is the main window's last pointer position over a list,
    // which the list's mouse moves write and its double-click reads.
    explicit RecommendPanel(QPoint &listMousePos, QWidget *parent = nullptr);

    void setDataModule(TDM_CDS *dataModule) { m_dm = dataModule; }

    QLabel *lab_Recommend;
    QListWidget *lv_Recommend;

    // Replaces the categories with the catalogue's.
    void LoadRecommendCategories();
    // The caption of the focused category, or nothing.
    QString focusedCategory() const;

    void lv_RecommendMouseMove(const QPoint &position);
    void lv_RecommendDblClick();

signals:
    // A double-click landed on the focused category.
    void categoryOpened();

private:
    QPoint &m_listMousePos;
    TDM_CDS *m_dm = nullptr;
};

} // namespace subscribe
