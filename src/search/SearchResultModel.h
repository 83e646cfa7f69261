#pragma once

#include "browse/ItemRowsModel.h"

#include <functional>
#include <memory>
#include <vector>

namespace search {

// The rows of the search result list. The search gives the item numbers;
// the rows themselves are made a batch at a time, the first screen at once
// and the rest as the list scrolls down to them.
class SearchResultModel final : public browse::ItemRowsModel
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

    int rowsMade() const { return int(m_rows.size()); }

    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    QString cellText(const browse::ItemRow &row, int column) const override;
    void make(size_t count);

    std::shared_ptr<const std::vector<qint64>> m_fileIds;
    size_t m_next = 0; // the first item number not yet made into a row
    RowSource m_source;
};

} // namespace search
