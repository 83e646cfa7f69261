#include "browse/ListLoader.h"

#include "browse/ListQuery.h"
#include "common/LocalCopy.h"
#include "store/DataModule.h"

namespace browse {

QString dateText(const QDateTime &when)
{
    if (!when.isValid())
        return {};
    const QString date = when.date().toString(QStringLiteral("yyyy-M-d"));
    if (when.time() == QTime(0, 0))
        return date;
    return date + u' ' + when.time().toString(QStringLiteral("H:mm:ss"));
}

QList<ItemRow> FillItemList(store::DataSet &records, const QString &programDir, int limit)
{
    QList<ItemRow> rows;
    for (int i = 1; !records.eof(); ++i) {
        if (limit > 0 && i > limit)
            break;
        ItemRow r;
        r.columnName = records.fieldByName(u"ColumeName").asString();
        r.fileId = records.fieldByName(u"FileID").asString();
        r.url = records.fieldByName(u"URL").asString();
        r.description = records.fieldByName(u"FileDesc").asString();
        r.owner = records.fieldByName(u"Owner").asString();
        r.uploadDate = dateText(records.fieldByName(u"UploadDate").asDateTime());
        r.fileName = records.fieldByName(u"Filename").asString();
        r.localLocation = QStringLiteral("/local/") + r.columnName + u'/' + r.fileName;
        r.imageIndex = 0;
        r.viewed = records.fieldByName(u"HasViewed").asBoolean() ? QStringLiteral("true") : QStringLiteral("false");
        if (ExistingLocalCopy(programDir, r.columnName, r.fileName)) {
            records.edit();
            records.setFieldValue(u"HasDownloaded", true);
            records.post();
            r.imageIndex = 2;
            r.localCopy = QStringLiteral("true");
        } else {
            if (records.fieldByName(u"HasDownloaded").asBoolean())
                r.imageIndex = 1;
            r.localCopy = QStringLiteral("false");
        }
        r.caption = records.fieldByName(u"DisplayName").asString();
        rows.append(r);
        records.next();
    }
    return rows;
}

namespace {

// The "栏目" entries: "所有栏目" first, then the columns in the reverse of
// the query's order; none when the query has no rows.
QStringList columnMenuOf(TDM_CDS &dm, const QString &sql)
{
    QStringList entries;
    store::eachRow(dm.aq_all2, sql,
                   [&entries](store::DataSet &q) { entries.prepend(q.fieldByName(u"Columename").asString()); });
    if (!entries.isEmpty())
        entries.prepend(kAllColumns);
    return entries;
}

} // namespace

ListPage ListItems(TDM_CDS &dm, ListState &state, const QString &programDir, const QString &title, int classNumber,
                   int pageCommand)
{
    // The request works on a copy of the state: a load that fails leaves
    // the list state as the list on screen has it.
    ListState next = state;
    ListPage page;
    next.CurrentTitle = title;
    if (classNumber != next.CurrentClass) {
        next.CurrentClass = classNumber;
        next.ColumnFilter.clear();
        next.CurrentView = 0;
        page.classChanged = true;
    }
    const ListStatement statement = buildListStatement(title, classNumber, next.CurrentView, next.ColumnFilter);
    dm.aq_all.close();
    dm.aq_all.setFiltered(false);
    page.caption = statement.caption;
    page.columnMenu = columnMenuOf(dm, statement.columnMenu);
    page.columnMenuEnabled = !page.columnMenu.isEmpty();

    try {
        dm.aq_all.setSql(statement.rows);
        dm.aq_all.open();
        const int count = dm.aq_all.recordCount();
        page.paging = applyPageCommand(next.CurrentPage, pageCommand, count);
        next.CurrentPage = page.paging.page;
        if (page.paging.offset > 0)
            dm.aq_all.moveBy(page.paging.offset);
        page.rows = FillItemList(dm.aq_all, programDir, kPageSize);
    } catch (...) {
        dm.aq_all.close();
        throw;
    }
    dm.aq_all.close();
    dm.aq_all.setFiltered(false);
    dm.aq_all.setFilter(QString());
    state = next;
    return page;
}

} // namespace browse
