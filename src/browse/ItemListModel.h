#pragma once

#include "browse/ItemRowsModel.h"

namespace browse {

// The rows of an item list for a view: two columns, caption and column name,
// the tip, and the whole row for drawing and for the list commands.
class ItemListModel final : public ItemRowsModel
{
    Q_OBJECT
public:
    explicit ItemListModel(QObject *parent = nullptr);

    void setRows(QList<ItemRow> rows);
    const QList<ItemRow> &rows() const { return m_rows; }
    // Changes one row in place (a mark written by a command) and repaints it.
    void updateRow(int index, const ItemRow &row);
    void removeRow(int index);

    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString cellText(const ItemRow &row, int column) const override;
};

} // namespace browse
