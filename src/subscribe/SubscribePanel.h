#pragma once

#include "subscribe/Subscriptions.h"
#include "ui/skin/TitledPanel.h"

class QLabel;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TDM_CDS;

namespace subscribe {

// The subscription panel: the nine classes on the left, the columns of the
// chosen class with their check boxes on the right, and the commands that
// check all, uncheck all, save the checks and restore the stored flags.
class SubscribePanel final : public skin::TitledPanel
{
    Q_OBJECT
public:
    explicit SubscribePanel(QWidget *parent = nullptr);

    // The data module is made after the main window; it is handed over here.
    void setDataModule(TDM_CDS *dataModule) { m_dm = dataModule; }

    QLabel *lab_Subscribe;
    QTreeWidget *lv_subscribe_Class;
    QTreeWidget *lv_subscribe_Colume;
    QWidget *Panel1;
    QToolButton *sb_SelectAll;
    QToolButton *sb_CancelAll;
    QToolButton *sb_Saveall;
    QToolButton *sb_Restore;

    void lv_subscribe_ClassSelectItem(QTreeWidgetItem *item, bool selected);
    void LoadSubscribeColumns(int classId);
    void sb_SelectAllClick();
    void sb_CancelAllClick();
    void sb_SaveallClick();
    void sb_RestoreClick();

    // The column list as rows, and filling it from rows.
    QList<ColumnRow> columnRows() const;
    void setColumnRows(const QList<ColumnRow> &rows);

private:
    void checkAll(bool checked);
    TDM_CDS &dataModule() const;

    TDM_CDS *m_dm = nullptr;
};

} // namespace subscribe
