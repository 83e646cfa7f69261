#include "subscribe/Subscriptions.h"

#include "store/DataModule.h"

namespace subscribe {
namespace {

// Opens cds_ColumeInfo, runs `work` and closes it again, also on an error.
template <typename F> void withColumnTable(store::DataSet &table, F &&work)
{
    table.open();
    try {
        work();
    } catch (...) {
        table.close();
        throw;
    }
    table.close();
}

} // namespace

const QList<SubscribeClass> &subscribeClasses()
{
    static const QList<SubscribeClass> classes = {
        {QStringLiteral("MTV精选"), 1},    {QStringLiteral("捧腹大笑"), 2},  {QStringLiteral("游戏世界"), 3},
        {QStringLiteral("工作室专栏"), 4}, {QStringLiteral("优秀短片"), 8},  {QStringLiteral("诗词欣赏"), 7},
        {QStringLiteral("精品广告"), 12},  {QStringLiteral("贺卡多多"), 11}, {QStringLiteral("学习空间"), 9},
    };
    return classes;
}

QList<ColumnRow> LoadSubscribeColumns(TDM_CDS &dm, int classId)
{
    store::DataSet &table = dm.cds_ColumeInfo;
    table.close();
    table.setFiltered(true);
    table.setFilter(QStringLiteral("ColumeParent='") + QString::number(classId) + u'\'');
    QList<ColumnRow> rows;
    withColumnTable(table, [&] {
        for (; !table.eof(); table.next()) {
            ColumnRow row;
            row.subscribed = table.fieldByName(u"Subscribed").asBoolean();
            row.name = table.fieldByName(u"ColumeName").asString();
            row.columnId = table.fieldByName(u"ColumeID").asString();
            row.description = table.fieldByName(u"ColumeDesc").asString();
            rows.append(row);
        }
    });
    return rows;
}

void saveSubscriptions(TDM_CDS &dm, const QList<ColumnRow> &rows)
{
    store::DataSet &table = dm.cds_ColumeInfo;
    table.close();
    table.setFiltered(false);
    withColumnTable(table, [&] {
        for (const ColumnRow &row : rows) {
            if (!table.locate(QStringLiteral("ColumeID"), {row.columnId.toInt()}))
                continue;
            table.edit();
            table.setFieldValue(u"Subscribed", row.subscribed);
            table.post();
        }
    });
}

void restoreSubscriptions(TDM_CDS &dm, QList<ColumnRow> &rows)
{
    store::DataSet &table = dm.cds_ColumeInfo;
    table.close();
    withColumnTable(table, [&] {
        for (ColumnRow &row : rows) {
            if (table.locate(QStringLiteral("ColumeID"), {row.columnId.toInt()}))
                row.subscribed = table.fieldByName(u"Subscribed").asBoolean();
        }
    });
}

} // namespace subscribe
