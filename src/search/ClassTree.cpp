#include "search/ClassTree.h"

#include "search/LocalSearch.h"
#include "store/DataModule.h"

namespace search {

ClassTree LoadClassTree(TDM_CDS &dm)
{
    ClassTree tree;
    dm.aq_all.close();
    dm.aq_all.setSql(QStringLiteral("select * from tb_Class"));
    dm.aq_all.open();
    while (!dm.aq_all.eof()) {
        ClassNode node;
        node.name = dm.aq_all.fieldByName(u"classname").asString();
        dm.aq_all2.close();
        dm.aq_all2.setSql(QStringLiteral("select * from tb_colume where columeparent=") +
                          dm.aq_all.fieldByName(u"classid").asString() + QStringLiteral(" order by len(columename)"));
        dm.aq_all2.open();
        while (!dm.aq_all2.eof()) {
            node.columns << dm.aq_all2.fieldByName(u"columename").asString();
            dm.aq_all2.next();
        }
        tree << node;
        dm.aq_all.next();
    }
    dm.aq_all2.close();
    dm.aq_all.close();
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
