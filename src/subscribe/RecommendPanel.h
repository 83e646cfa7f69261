#pragma once

#include "ui/skin/TitledPanel.h"

class QLabel;
class QListWidget;
class TDM_CDS;

namespace skin {
class ListPointer;
}

namespace subscribe {

// The special recommendations' category panel: the catalogue's categories
// as icons; a double-click on one opens its items.
class RecommendPanel final : public skin::TitledPanel
{
    Q_OBJECT
public:
    // `pointer` follows the pointer over the main window's lists.
    explicit RecommendPanel(skin::ListPointer &pointer, QWidget *parent = nullptr);

    void setDataModule(TDM_CDS *dataModule) { m_dm = dataModule; }

    QLabel *lab_Recommend;
    QListWidget *lv_Recommend;

    // Replaces the categories with the catalogue's.
    void LoadRecommendCategories();
    // The caption of the focused category, or nothing.
    QString focusedCategory() const;

    void lv_RecommendDblClick();

signals:
    // A double-click landed on the focused category.
    void categoryOpened();

private:
    skin::ListPointer &m_pointer;
    TDM_CDS *m_dm = nullptr;
};

} // namespace subscribe
