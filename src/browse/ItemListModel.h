#pragma once

#include "browse/ItemRow.h"

#include <QAbstractTableModel>

namespace browse {

// The rows of an item list for a view: two columns, caption and column name,
// the tip, and the whole row for drawing and for the list commands.
class ItemListModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role {
        RowRole = Qt::UserRole + 1, // the ItemRow
        ImageIndexRole,             // int 0..2
        ViewedRole,                 // bool, sub-item 7 is "true"
    };

    explicit ItemListModel(QObject *parent = nullptr);

    void setRows(QList<ItemRow> rows);
    const QList<ItemRow> &rows() const { return m_rows; }
    const ItemRow &row(int index) const { return m_rows.at(index); }
    // Changes one row in place (a mark written by a command) and repaints it.
    void updateRow(int index, const ItemRow &row);
    void removeRow(int index);
    // The caption of the first column's header.
    void setFirstHeader(const QString &caption);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QList<ItemRow> m_rows;
    QString m_firstHeader = QStringLiteral("条目名称");
};

// What every item list answers for a row beyond its cells' text: the tip,
// the row itself, its image index and its viewed mark (roles of
// ItemListModel); nothing for other roles.
QVariant itemRowData(const ItemRow &row, int role);

} // namespace browse
