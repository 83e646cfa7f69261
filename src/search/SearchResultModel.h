#pragma once

#include "browse/ItemRow.h"

#include <QAbstractTableModel>

#include <functional>
#include <memory>
#include <vector>

namespace search {

// The rows of the search result list. The search gives the item numbers;
// the rows themselves are made a batch at a time, the first screen at once
// and the rest as the list scrolls down to them. Rows answer the roles of
// browse::ItemListModel.
class SearchResultModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    // Makes the rows of `count` item numbers from position `from`.
    using RowSource =
        std::function<QList<browse::ItemRow>(const std::vector<qint64> &fileIds, size_t from, size_t count)>;

    static constexpr int kColumns = 8;
    static constexpr size_t kFirstScreen = 40;
    static constexpr size_t kBatch = 100;

    explicit SearchResultModel(QObject *parent = nullptr);

    // A new result: the old rows go, the first screen is made.
    void setResult(std::shared_ptr<const std::vector<qint64>> fileIds, RowSource source);
    void clear();

    const browse::ItemRow &row(int index) const { return m_rows.at(index); }
    int rowsMade() const { return int(m_rows.size()); }
    // The caption of the first column ("名称" until the first search).
    void setFirstHeader(const QString &caption);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    void make(size_t count);

    std::shared_ptr<const std::vector<qint64>> m_fileIds;
    size_t m_next = 0; // the first item number not yet made into a row
    RowSource m_source;
    QList<browse::ItemRow> m_rows;
    QString m_firstHeader = QStringLiteral("名称");
};

} // namespace search
