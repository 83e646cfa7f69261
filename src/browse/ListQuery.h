#pragma once

#include <QString>

namespace browse {

// Class numbers of the two special lists.
inline constexpr int RecentListClass = 1000000;
inline constexpr int RankingListClass = 1000001;

// The statements and caption of one item-list request.
struct ListStatement
{
    QString source;     // stored query, with its trailing blank
    QString rows;       // the list's rows: select text + conditions
    QString columnMenu; // the columns with items under the same conditions
    QString caption;    // text of the caption label
};

// Builds the statements for a class (or special list), a view 0..5 and an
// optional column filter. Text values are quoted safely.
ListStatement buildListStatement(const QString &title, int classNumber, int view, const QString &columnFilter);

// Caption of a view in the "查看" menu and its caption-label suffix.
QString viewCaption(int view);

} // namespace browse
