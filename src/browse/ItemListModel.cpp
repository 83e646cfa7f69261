#include "browse/ItemListModel.h"

#include "common/Text.h"

namespace browse {

ItemListModel::ItemListModel(QObject *parent) : QAbstractTableModel(parent) {}

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

void ItemListModel::setFirstHeader(const QString &caption)
{
    m_firstHeader = caption;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int ItemListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ItemListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ItemListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const ItemRow &r = m_rows.at(index.row());
    if (role == Qt::DisplayRole)
        return ShownText(index.column() == 0 ? r.caption : r.columnName);
    return itemRowData(r, role);
}

QVariant itemRowData(const ItemRow &row, int role)
{
    switch (role) {
    case Qt::ToolTipRole:
        return itemTip(row);
    case ItemListModel::RowRole:
        return QVariant::fromValue(row);
    case ItemListModel::ImageIndexRole:
        return row.imageIndex;
    case ItemListModel::ViewedRole:
        return row.isViewed();
    default:
        return {};
    }
}

QVariant ItemListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? m_firstHeader : QStringLiteral("栏目名称");
}

Qt::ItemFlags ItemListModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace browse
