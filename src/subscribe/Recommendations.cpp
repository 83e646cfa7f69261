#include "subscribe/Recommendations.h"

#include "store/DataModule.h"
#include "store/JetSql.h"

namespace subscribe {
namespace {

// Runs `sql` on aq_all, unfiltered, and calls `row` for each row.
template <typename F> void eachRow(TDM_CDS &dm, const QString &sql, F &&row)
{
    dm.aq_all.setFilter(QString());
    store::eachRow(dm.aq_all, sql, std::forward<F>(row));
}

void execute(TDM_CDS &dm, const QString &sql)
{
    dm.aq_all.close();
    dm.aq_all.setSql(sql);
    dm.aq_all.execSql();
}

} // namespace

QStringList LoadRecommendCategories(TDM_CDS &dm)
{
    QStringList categories;
    eachRow(dm, QStringLiteral("select columename from tb_recommend group by columename"),
            [&](store::DataSet &q) { categories << q.fieldByName(u"Columename").asString(); });
    return categories;
}

RecommendList LoadRecommendItems(TDM_CDS &dm, const QString &category, int view)
{
    // Names go into the statements quoted, so that a quote in them is text.
    const QString name = store::quoted(category);
    RecommendList list;
    QString sql;
    switch (view) {
    case FavoriteItems:
        sql = QStringLiteral("select * from tb_recommend where Favorite = true and columename=") + name +
              QStringLiteral(" order by ItemID Desc");
        list.title = QStringLiteral("特别推荐-") + category + QStringLiteral("[收藏条目]");
        break;
    case LatestItems:
        sql = QStringLiteral("select Top 20 * from tb_recommend where columename=") + name +
              QStringLiteral(" order by ItemID Desc");
        list.title = QStringLiteral("特别推荐-") + category + QStringLiteral("[最新20条]");
        break;
    default:
        sql = QStringLiteral("select * from tb_recommend where columename=") + name +
              QStringLiteral(" order by ItemID Desc");
        list.title = QStringLiteral("特别推荐-") + category + QStringLiteral("[全部条目]");
        break;
    }
    eachRow(dm, sql, [&](store::DataSet &q) {
        RecommendRow row;
        row.caption = q.fieldByName(u"Itemname").asString();
        row.className = q.fieldByName(u"Classname").asString();
        row.description = q.fieldByName(u"ItemDesc").asString();
        row.other1 = q.fieldByName(u"ItemOther1").asString();
        row.other2 = q.fieldByName(u"ItemOther2").asString();
        row.url = q.fieldByName(u"URL").asString();
        row.itemId = q.fieldByName(u"ItemID").asString();
        row.favorite = q.fieldByName(u"Favorite").asBoolean();
        list.rows.append(row);
    });
    return list;
}

QString recommendTip(const RecommendRow &row)
{
    return QStringLiteral("\r\n[介     绍]：") + row.description + QStringLiteral("\r\n\r\n") +
           QStringLiteral("[其他信息1]：") + row.other1 + QStringLiteral("\r\n") + QStringLiteral("[其他信息2]：") +
           row.other2 + QStringLiteral("\r\n") + QStringLiteral("[链接地址 ]：") + row.url + QStringLiteral("\r\n");
}

void deleteRecommendItem(TDM_CDS &dm, const QString &itemId)
{
    execute(dm, QStringLiteral("delete * from tb_Recommend where ItemID=") + QString::number(itemId.toLongLong()));
}

void deleteRecommendCategory(TDM_CDS &dm, const QString &category)
{
    execute(dm, QStringLiteral("delete * from tb_Recommend where Columename=") + store::quoted(category));
}

void markFavorite(TDM_CDS &dm, const QString &itemId)
{
    execute(dm, QStringLiteral("update tb_Recommend set favorite=true where ItemID=") +
                    QString::number(itemId.toLongLong()));
}

} // namespace subscribe
