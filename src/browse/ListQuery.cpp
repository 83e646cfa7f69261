#include "browse/ListQuery.h"

#include "store/JetSql.h"

#include <array>

namespace browse {
namespace {

struct View
{
    const char16_t *caption;
    const char16_t *condition;
};

constexpr std::array<View, 6> kViews = {{
    {u"全部条目", u" where subscribed=true"},
    {u"最新10条", u" where subscribed=true"},
    {u"已点击条目", u" where hasviewed = true and subscribed=true"},
    {u"未点击条目", u" where hasviewed = false and subscribed=true"},
    {u"已下载条目", u" where hasdownloaded = true and subscribed=true"},
    {u"未下载条目", u" where hasdownloaded = false and subscribed=true"},
}};

const View &viewAt(int view)
{
    return kViews.at(static_cast<size_t>(view >= 0 && view < int(kViews.size()) ? view : 0));
}

} // namespace

QString viewCaption(int view)
{
    return QString::fromUtf16(viewAt(view).caption);
}

ListStatement buildListStatement(const QString &title, int classNumber, int view, const QString &columnFilter)
{
    ListStatement out;
    QString q = classNumber == RankingListClass  ? QStringLiteral("qry_filestop ")
                : classNumber == RecentListClass ? QStringLiteral("qry_FilesRecent ")
                                                 : QStringLiteral("qry_files ");
    QString select = QStringLiteral("select * from ") + q;
    QString where = QString::fromUtf16(viewAt(view).condition);
    out.caption = title + u'-' + viewCaption(view);
    if (view == 1) {
        if (classNumber != RankingListClass)
            q = QStringLiteral("qry_FilesLast ");
        select = QStringLiteral("select top 10 * from ") + q;
    }
    if (classNumber == RecentListClass)
        out.caption = QStringLiteral("最近更新");
    if (classNumber != RecentListClass && classNumber != RankingListClass)
        where += QStringLiteral("  and ClassID =") + QString::number(classNumber);

    out.columnMenu = QStringLiteral("select columename from ") + q + where + QStringLiteral(" group by columename");
    if (!columnFilter.isEmpty()) {
        where += QStringLiteral("  and Columename=") + store::quoted(columnFilter);
        out.caption += u'(' + columnFilter + u')';
    }
    out.source = q;
    out.rows = select + where;
    return out;
}

} // namespace browse
