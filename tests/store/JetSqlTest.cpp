#include "store/JetSql.h"

#include <gtest/gtest.h>

namespace {

using store::Purpose;
using store::quoted;
using store::translateJet;

TEST(JetSql, QuotingDoublesQuotes)
{
    EXPECT_EQ(quoted(QStringLiteral("游戏")), QStringLiteral("'游戏'"));
    EXPECT_EQ(quoted(QStringLiteral("Rock'n'Roll")), QStringLiteral("'Rock''n''Roll'"));
    EXPECT_EQ(quoted(QString()), QStringLiteral("''"));
    EXPECT_EQ(quoted(QStringLiteral("'")), QStringLiteral("''''"));
}

TEST(JetSql, TopBecomesLimit)
{
    EXPECT_EQ(translateJet(QStringLiteral("select top 10 * from qry_filestop  where subscribed=true")),
              QStringLiteral("select * from qry_filestop  where subscribed=1 LIMIT 10"));
    // The newest N are looked for among each column's newest N.
    EXPECT_EQ(translateJet(QStringLiteral("select top 10 * from qry_FilesLast  where subscribed=true  and ClassID =3")),
              QStringLiteral("SELECT * FROM qry_FilesLast WHERE FileID IN (SELECT t.FileID FROM tb_Colume AS k JOIN "
                             "tb_Files AS t ON t.FileID IN (SELECT s.FileID FROM qry_FilesLast_set AS s WHERE "
                             "(subscribed=1  and ClassID =3) AND s.ColumeID = k.ColumeID ORDER BY s.UploadDate DESC, "
                             "s.FileID DESC LIMIT 10)) AND (subscribed=1  and ClassID =3) LIMIT 10"));
    EXPECT_EQ(
        translateJet(QStringLiteral("select Top 20 * from tb_recommend where columename='a' order by ItemID Desc")),
        QStringLiteral("select * from tb_recommend where columename='a' order by ItemID Desc LIMIT 20"));
}

TEST(JetSql, DeleteLenAndBooleans)
{
    EXPECT_EQ(translateJet(QStringLiteral("delete * from tb_Recommend where ItemID=5")),
              QStringLiteral("delete from tb_Recommend where ItemID=5"));
    EXPECT_EQ(translateJet(QStringLiteral("select * from tb_colume where columeparent=3 order by len(columename)")),
              QStringLiteral("select * from tb_colume where columeparent=3 order by length(columename)"));
    EXPECT_EQ(translateJet(QStringLiteral("update tb_Recommend set favorite=true where ItemID=1")),
              QStringLiteral("update tb_Recommend set favorite=1 where ItemID=1"));
    EXPECT_EQ(translateJet(QStringLiteral("select * from x where hasviewed = false")),
              QStringLiteral("select * from x where hasviewed = 0"));
}

TEST(JetSql, QuotedTextIsLeftAlone)
{
    const QString sql = QStringLiteral("select * from qry_files where displayname like '%select top 3 true len( "
                                       "delete * from ''false''%'");
    EXPECT_EQ(translateJet(sql), sql);
    // A word that only contains a keyword is not one.
    EXPECT_EQ(translateJet(QStringLiteral("select trueness, lens from t")),
              QStringLiteral("select trueness, lens from t"));
}

TEST(JetSql, GroupsComeInPinyinOrder)
{
    EXPECT_EQ(translateJet(QStringLiteral("select columename from tb_recommend group by columename")),
              QStringLiteral("select columename from tb_recommend group by columename ORDER BY columename COLLATE "
                             "PINYIN"));
    EXPECT_EQ(translateJet(QStringLiteral("select classname from qry_files group by classname")),
              QStringLiteral("select classname from qry_files_set group by classname ORDER BY classname COLLATE "
                             "PINYIN"));
}

TEST(JetSql, TheColumnMenuIsAskedColumnByColumn)
{
    EXPECT_EQ(translateJet(QStringLiteral("select columename from qry_FilesLast  where subscribed=true  and ClassID =3 "
                                          "group by columename")),
              QStringLiteral("SELECT c.ColumeName AS columename FROM tb_Colume AS c WHERE EXISTS (SELECT 1 FROM "
                             "qry_FilesLast_set AS s WHERE (subscribed=1  and ClassID =3) AND s.ColumeID = c.ColumeID) "
                             "GROUP BY c.ColumeName ORDER BY c.ColumeName COLLATE PINYIN"));
    EXPECT_EQ(translateJet(QStringLiteral("select columename from qry_files group by columename")),
              QStringLiteral("SELECT c.ColumeName AS columename FROM tb_Colume AS c WHERE EXISTS (SELECT 1 FROM "
                             "qry_files_set AS s WHERE s.ColumeID = c.ColumeID) GROUP BY c.ColumeName ORDER BY "
                             "c.ColumeName COLLATE PINYIN"));
}

TEST(JetSql, CountingAnOrderedQueryReadsItsTwin)
{
    EXPECT_EQ(translateJet(QStringLiteral("select * from qry_FilesRecent  where subscribed=true"), Purpose::Counting),
              QStringLiteral("select * from qry_FilesRecent_set  where subscribed=1"));
    EXPECT_EQ(translateJet(QStringLiteral("select * from QRY_FILES where FileID=1"), Purpose::Counting),
              QStringLiteral("select * from QRY_FILES where FileID=1"));
    EXPECT_EQ(translateJet(QStringLiteral("select top 10 * from qry_filestop"), Purpose::Counting),
              QStringLiteral("select * from qry_filestop_set LIMIT 10"));
}

TEST(JetSql, SourceOfAStatement)
{
    EXPECT_EQ(store::sourceOf(QStringLiteral("select * from tb_users where Username='a from b'")),
              QStringLiteral("tb_users"));
    EXPECT_EQ(store::sourceOf(QStringLiteral("select Top 1 * from tb_SendCards")), QStringLiteral("tb_SendCards"));
    EXPECT_EQ(store::sourceOf(QStringLiteral("update x set a=1")), QString());
}

} // namespace
