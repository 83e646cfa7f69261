#include "browse/ItemRowsModel.h"

#include "common/Text.h"

namespace browse {

ItemRowsModel::ItemRowsModel(QString firstHeader, QObject *parent)
    : QAbstractTableModel(parent), m_firstHeader(std::move(firstHeader))
{
}

void ItemRowsModel::setFirstHeader(const QString &caption)
{
    m_firstHeader = caption;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int ItemRowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ItemRowsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const ItemRow &r = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return ShownText(cellText(r, index.column()));
    case Qt::ToolTipRole:
        return itemTip(r);
    case RowRole:
        return QVariant::fromValue(r);
    case ImageIndexRole:
        return r.imageIndex;
    case ViewedRole:
        return r.isViewed();
    default:
        return {};
    }
}

Qt::ItemFlags ItemRowsModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace browse
