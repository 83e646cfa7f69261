#include "search/SearchResultModel.h"

namespace search {
namespace {

// Header captions; the caption is shown in column 0, sub-items 0..6 after it.
const char16_t *const kHeaders[SearchResultModel::kColumns] = {u"名称", u"栏目", u"FileID",   u"URL",
                                                               u"介绍", u"作者", u"上传时间", u"LocalLocation"};

} // namespace

// The first column is "名称" until the first search.
SearchResultModel::SearchResultModel(QObject *parent) : ItemRowsModel(QStringLiteral("名称"), parent)
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

int SearchResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QString SearchResultModel::cellText(const browse::ItemRow &row, int column) const
{
    return column == 0 ? row.caption : row.subItem(column - 1);
}

QVariant SearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns)
        return {};
    return section == 0 ? firstHeader() : QString::fromUtf16(kHeaders[section]);
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
