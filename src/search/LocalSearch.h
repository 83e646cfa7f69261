#pragma once

#include "browse/ItemRow.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class TDM_CDS;

namespace search {

class NameIndex;

// The caption that stands for "no choice" in the class and column boxes.
inline const QString kAll = QStringLiteral("所有");

// A keyword as a LIKE pattern that finds it anywhere in a text: '%', '_' and
// '\' in it stand for themselves (the statement says "escape '\'").
QString likePattern(const QString &keyword);

// The local search as one statement on the catalogue: items whose display
// name holds the keyword, narrowed to a class and a column unless they are
// "所有". Every value is quoted. The search window answers the same from the
// name index; this is the statement it stands for.
QString localSearchStatement(const QString &keyword, const QString &className, const QString &columnName);

// What a local search found: the item numbers in list order and the texts
// of the four status panels.
struct LocalSearchResult
{
    std::shared_ptr<const std::vector<qint64>> fileIds;
    QStringList statusTexts;
    int count() const { return fileIds ? int(fileIds->size()) : 0; }
};

// Brings the index up to date with the catalogue and searches it. The
// search does not follow subscriptions. Throws DatabaseError.
LocalSearchResult LocalSearch(TDM_CDS &dm, NameIndex &index, const QString &keyword, const QString &className,
                              const QString &columnName);

// The list rows of some of the items found, made by FillItemList (with its
// local-copy probe and mark); an item deleted since the search is left out.
QList<browse::ItemRow> searchRows(TDM_CDS &dm, const QString &programDir, const std::vector<qint64> &fileIds,
                                  size_t from, size_t count);

} // namespace search
