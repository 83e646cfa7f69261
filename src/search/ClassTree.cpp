#include "search/ClassTree.h"

#include "search/LocalSearch.h"
#include "store/DataModule.h"

namespace search {

ClassTree LoadClassTree(TDM_CDS &dm)
{
    ClassTree tree;
    store::eachRow(dm.aq_all, QStringLiteral("select * from tb_Class"), [&dm, &tree](store::DataSet &classes) {
        ClassNode node;
        node.name = classes.fieldByName(u"classname").asString();
        store::eachRow(
            dm.aq_all2,
            QStringLiteral("select * from tb_colume where columeparent=") + classes.fieldByName(u"classid").asString() +
                QStringLiteral(" order by len(columename)"),
            [&node](store::DataSet &columns) { node.columns << columns.fieldByName(u"columename").asString(); });
        tree << node;
    });
    return tree;
}

QStringList FillColumnCombo(const ClassTree &tree, const QString &className)
{
    QStringList entries{kAll};
    for (const ClassNode &node : tree) {
        if (node.name == className)
            return entries + node.columns;
        // A column node of that name comes next in tree order; it has no children.
        if (node.columns.contains(className))
            return entries;
    }
    return entries;
}

} // namespace search
