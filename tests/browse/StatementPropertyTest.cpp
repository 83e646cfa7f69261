// Hostile names and keywords against every statement the program builds:
// the text stays inside its literal, and a statement either runs or raises
// the store's error, never a second statement, never a stray change.
#include "TempCatalogue.h"

#include "browse/ListQuery.h"
#include "search/LocalSearch.h"
#include "store/DataModule.h"
#include "store/DatabaseError.h"
#include "store/JetSql.h"

#include <QHash>
#include <QRandomGenerator>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Fragments that mean something to SQL or to the translator.
const QStringList kFragments = {
    QStringLiteral("'"),
    QStringLiteral("''"),
    QStringLiteral(";"),
    QStringLiteral("--"),
    QStringLiteral("/*"),
    QStringLiteral("*/"),
    QStringLiteral("\""),
    QStringLiteral("%"),
    QStringLiteral("_"),
    QStringLiteral("\\"),
    QString(QChar(u'\0')),
    QStringLiteral("\n"),
    QStringLiteral(" or 1=1"),
    QStringLiteral("; delete from tb_Files"),
    QStringLiteral("'; drop table tb_Files; --"),
    QStringLiteral(" group by columename"),
    QStringLiteral("select top 10 * from qry_files"),
    QStringLiteral("true"),
    QStringLiteral("false"),
    QStringLiteral("len("),
    QStringLiteral("delete * from"),
    QStringLiteral("qry_filestop"),
    QStringLiteral("游戏"),
    QStringLiteral("Rock'n'Roll"),
    QStringLiteral(" "),
    QStringLiteral("x"),
    QString(QChar(0xD800)),
};

QString hostileText(QRandomGenerator &random)
{
    QString text;
    const int parts = int(random.bounded(1, 6));
    for (int i = 0; i < parts; ++i)
        text += kFragments.at(int(random.bounded(qsizetype(kFragments.size()))));
    if (random.bounded(5000) == 0)
        text += QString(20000, u'长'); // now and then a very long one
    return text;
}

// The statement with every quoted literal replaced by '?', and the literals'
// contents in order; the SQL outside literals is what the text must not touch.
struct Shape
{
    QString skeleton;
    QStringList literals;
};

Shape shapeOf(const QString &sql)
{
    Shape shape;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        if (sql.at(i) != u'\'') {
            shape.skeleton += sql.at(i);
            continue;
        }
        QString literal;
        for (++i; i < sql.size(); ++i) {
            if (sql.at(i) == u'\'') {
                if (i + 1 < sql.size() && sql.at(i + 1) == u'\'') {
                    literal += u'\'';
                    ++i;
                    continue;
                }
                break;
            }
            literal += sql.at(i);
        }
        shape.skeleton += QStringLiteral("'?'");
        shape.literals << literal;
    }
    return shape;
}

struct Builder
{
    const char *name;
    // Builds the statement with the given texts in its text positions.
    std::function<QString(const QStringList &texts, int choice)> build;
    int texts;
    bool changes; // a delete: only rows named by the texts may go
};

const QList<Builder> &builders()
{
    static const QList<Builder> list = {
        {"item list",
         [](const QStringList &t, int c) {
             const int classes[] = {3, browse::RecentListClass, browse::RankingListClass, 1};
             return browse::buildListStatement(t.at(1), classes[c % 4], c % 6, t.at(0)).rows;
         },
         2, false},
        {"column menu",
         [](const QStringList &t, int c) {
             return browse::buildListStatement(t.at(0), c % 2 ? 3 : browse::RecentListClass, c % 6, t.at(1)).columnMenu;
         },
         2, false},
        {"local search",
         [](const QStringList &t, int) { return search::localSearchStatement(t.at(0), t.at(1), t.at(2)); }, 3, false},
        {"recommendations",
         [](const QStringList &t, int) {
             return QStringLiteral("select * from tb_recommend where Favorite = true and columename=") +
                    store::quoted(t.at(0)) + QStringLiteral(" order by ItemID Desc");
         },
         1, false},
        {"saved user",
         [](const QStringList &t, int) {
             return QStringLiteral("select * from tb_users where Username=") + store::quoted(t.at(0));
         },
         1, false},
        {"drop a group",
         [](const QStringList &t, int) {
             return QStringLiteral("delete * from tb_Recommend where Columename=") + store::quoted(t.at(0));
         },
         1, true},
    };
    return list;
}

TEST(Statements, HostileTextStaysInItsLiteralAndChangesNothingElse)
{
    TempCatalogue catalogue;
    catalogue.addClass(3, QStringLiteral("游戏世界"));
    catalogue.addColumn(31, 3, QStringLiteral("益智游戏"));
    catalogue.addItem(3101, 31, QStringLiteral("拼图"), QStringLiteral("2003-01-01 10:00:00"));
    catalogue.exec(
        QStringLiteral("INSERT INTO tb_Recommend (ItemID, Columename, Itemname) VALUES (1, '保留组', '甲')"));
    catalogue.exec(QStringLiteral("INSERT INTO tb_users (Username) VALUES ('老用户')"));
    // Every change to the catalogue is logged; only the recommendations'
    // deletes may log anything.
    catalogue.exec(QStringLiteral("CREATE TABLE change_log (what TEXT)"));
    for (const char *table : {"tb_Files", "tb_Colume", "tb_Class", "tb_Recommend", "tb_users", "tb_Adver"}) {
        for (const char *event : {"INSERT", "UPDATE", "DELETE"}) {
            catalogue.exec(QStringLiteral("CREATE TRIGGER log_%1_%2 AFTER %2 ON %1 BEGIN INSERT INTO change_log"
                                          " VALUES ('%1 %2'); END")
                               .arg(QLatin1String(table), QLatin1String(event)));
        }
    }
    TDM_CDS dm(catalogue.path());

    QRandomGenerator random(20031);
    // The statement each builder makes of plain texts, by choice and purpose.
    QHash<QString, Shape> plainShapes;
    const int cases = 200000;
    int ran = 0;
    int refused = 0;
    for (int n = 0; n < cases; ++n) {
        const Builder &builder = builders().at(n % builders().size());
        const int choice = int(random.bounded(24));
        QStringList hostile;
        QStringList plain;
        for (int t = 0; t < builder.texts; ++t) {
            hostile << hostileText(random);
            plain << QStringLiteral("v%1").arg(t);
        }
        const QString sql = builder.build(hostile, choice);
        for (const store::Purpose purpose : {store::Purpose::Rows, store::Purpose::Counting}) {
            const Shape got = shapeOf(store::translateJet(sql, purpose));
            const QString key =
                QStringLiteral("%1/%2/%3").arg(QLatin1String(builder.name)).arg(choice).arg(int(purpose));
            if (!plainShapes.contains(key))
                plainShapes.insert(key, shapeOf(store::translateJet(builder.build(plain, choice), purpose)));
            const Shape &expected = plainShapes[key];
            ASSERT_EQ(got.skeleton, expected.skeleton) << builder.name << ": " << sql.left(300).toStdString();
            // Each literal holds its text whole (a keyword between % signs).
            ASSERT_EQ(got.literals.size(), expected.literals.size());
            for (qsizetype i = 0; i < got.literals.size(); ++i) {
                QString restored = expected.literals.at(i);
                for (int t = 0; t < builder.texts; ++t) {
                    // The search keyword's '%', '_' and '\' are escaped to match themselves.
                    const bool keyword = t == 0 && QLatin1String(builder.name) == QLatin1String("local search");
                    restored.replace(plain.at(t),
                                     keyword ? search::likePattern(hostile.at(t)).mid(1).chopped(1) : hostile.at(t));
                }
                ASSERT_EQ(got.literals.at(i), restored) << builder.name;
            }
        }
        // A sample runs against the catalogue itself.
        if (n % 293 != 0)
            continue;
        try {
            store::DataSet &q = dm.aq_all;
            q.close();
            q.setSql(sql);
            if (builder.changes) {
                q.execSql();
            } else {
                q.open();
                q.recordCount();
                q.close();
            }
            ++ran;
        } catch (const DatabaseError &) {
            dm.aq_all.close();
            ++refused; // a NUL in the text ends the statement early
        }
    }
    EXPECT_GT(ran, cases / 293 / 2) << "most statements run";
    RecordProperty("run", ran);
    RecordProperty("refused", refused);
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT count(*) FROM change_log")).toInt(), 0)
        << catalogue.scalar(QStringLiteral("SELECT group_concat(what) FROM change_log")).toString().toStdString();
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT count(*) FROM tb_Files")).toInt(), 1);
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT count(*) FROM tb_Recommend")).toInt(), 1);
    EXPECT_EQ(catalogue.scalar(QStringLiteral("SELECT count(*) FROM tb_users")).toInt(), 1);
    EXPECT_EQ(catalogue.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
}

} // namespace
