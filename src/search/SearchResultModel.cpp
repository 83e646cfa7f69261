#include "search/SearchResultModel.h"

#include "browse/ItemListModel.h"
#include "common/Text.h"

namespace search {
namespace {

// Header captions; the caption is shown in column 0, sub-items 0..6 after it.
const char16_t *const kHeaders[SearchResultModel::kColumns] = {u"名称", u"栏目", u"FileID",   u"URL",
                                                               u"介绍", u"作者", u"上传时间", u"LocalLocation"};

} // namespace

SearchResultModel::SearchResultModel(QObject *parent) : QAbstractTableModel(parent)
{
}

void SearchResultModel::setResult(std::shared_ptr<const std::vector<qint64>> fileIds, RowSource source)
{
    beginResetModel();
    m_fileIds = std::move(fileIds);
    m_source = std::move(source);
    m_next = 0;
    m_rows.clear();
    endResetModel();
    make(kFirstScreen);
}

void SearchResultModel::clear()
{
    beginResetModel();
    m_fileIds.reset();
    m_source = {};
    m_next = 0;
    m_rows.clear();
    endResetModel();
}

void SearchResultModel::make(size_t count)
{
    if (!m_fileIds || !m_source || m_next >= m_fileIds->size())
        return;
    const size_t from = m_next;
    QList<browse::ItemRow> rows = m_source(*m_fileIds, from, count);
    m_next = std::min(m_fileIds->size(), from + count);
    if (rows.isEmpty())
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + rows.size() - 1));
    m_rows.append(std::move(rows));
    endInsertRows();
}

void SearchResultModel::setFirstHeader(const QString &caption)
{
    m_firstHeader = caption;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int SearchResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int SearchResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant SearchResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const browse::ItemRow &r = m_rows.at(index.row());
    if (role == Qt::DisplayRole)
        return ShownText(index.column() == 0 ? r.caption : r.subItem(index.column() - 1));
    return browse::itemRowData(r, role);
}

QVariant SearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns)
        return {};
    return section == 0 ? m_firstHeader : QString::fromUtf16(kHeaders[section]);
}

Qt::ItemFlags SearchResultModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool SearchResultModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_fileIds && m_next < m_fileIds->size();
}

void SearchResultModel::fetchMore(const QModelIndex &parent)
{
    if (!parent.isValid())
        make(kBatch);
}

} // namespace search
