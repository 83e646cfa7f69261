#pragma once

#include "browse/ItemRow.h"

#include <QAbstractTableModel>

namespace browse {

// What every item list shares: a table of item rows whose cells show text
// (shortened for the list) and whose rows answer the tip, the row itself,
// its image index and its viewed mark, with a first-column caption that the
// list may change.
class ItemRowsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role {
        RowRole = Qt::UserRole + 1, // the ItemRow
        ImageIndexRole,             // int 0..2
        ViewedRole,                 // bool, sub-item 7 is "true"
    };

    const ItemRow &row(int index) const { return m_rows.at(index); }
    // The caption of the first column's header.
    void setFirstHeader(const QString &caption);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

protected:
    ItemRowsModel(QString firstHeader, QObject *parent);

    // The text of `row` in `column`, before it is shortened for the list.
    virtual QString cellText(const ItemRow &row, int column) const = 0;
    QString firstHeader() const { return m_firstHeader; }

    QList<ItemRow> m_rows;

private:
    QString m_firstHeader;
};

} // namespace browse
