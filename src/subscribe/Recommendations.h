#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class TDM_CDS;

namespace subscribe {

// The views of a recommendation category.
enum RecommendView { AllItems = 0, FavoriteItems = 1, LatestItems = 2 };

// One recommended link as the item list shows it.
struct RecommendRow
{
    QString caption;   // Itemname
    QString className; // Classname
    QString description;
    QString other1;
    QString other2;
    QString url;
    QString itemId;
    bool favorite = false;
};

struct RecommendList
{
    QString title; // of lab_RecommendItem
    QList<RecommendRow> rows;
};

// The categories in the order the catalogue groups them. Throws DatabaseError.
QStringList LoadRecommendCategories(TDM_CDS &dm);

// The items of a category in a view, newest first, and the panel's title.
// Throws DatabaseError.
RecommendList LoadRecommendItems(TDM_CDS &dm, const QString &category, int view);

// The tip of an item: description, the two further lines and the address.
QString recommendTip(const RecommendRow &row);

// Deletes one item; deletes every item of a category, whatever view shows
// them; marks an item as a favourite. Throws DatabaseError.
void deleteRecommendItem(TDM_CDS &dm, const QString &itemId);
void deleteRecommendCategory(TDM_CDS &dm, const QString &category);
void markFavorite(TDM_CDS &dm, const QString &itemId);

} // namespace subscribe
