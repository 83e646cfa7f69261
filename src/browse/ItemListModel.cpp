#include "browse/ItemListModel.h"

namespace browse {

ItemListModel::ItemListModel(QObject *parent) : ItemRowsModel(QStringLiteral("条目名称"), parent)
{
}

void ItemListModel::setRows(QList<ItemRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void ItemListModel::updateRow(int index, const ItemRow &row)
{
    if (index < 0 || index >= m_rows.size())
        return;
    m_rows[index] = row;
    emit dataChanged(this->index(index, 0), this->index(index, columnCount() - 1));
}

void ItemListModel::removeRow(int index)
{
    if (index < 0 || index >= m_rows.size())
        return;
    beginRemoveRows({}, index, index);
    m_rows.removeAt(index);
    endRemoveRows();
}

int ItemListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QString ItemListModel::cellText(const ItemRow &row, int column) const
{
    return column == 0 ? row.caption : row.columnName;
}

QVariant ItemListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? firstHeader() : QStringLiteral("栏目名称");
}

} // namespace browse
