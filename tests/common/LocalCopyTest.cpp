// The one rule for where local copies of items may be: names from the
// catalogue stay single plain names under <home>/local/.
#include "common/LocalCopy.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kHome = QStringLiteral("/home/user/flashbar");

TEST(LocalCopyPath, RefusesEveryNameThatIsNotOnePlainName)
{
    const QString bad[] = {
        QString(),
        QStringLiteral("."),
        QStringLiteral(".."),
        QStringLiteral("/"),
        QStringLiteral("../../../../tmp"),
        QStringLiteral("a/b"),
        QStringLiteral("/etc"),
        QStringLiteral("a/"),
        QStringLiteral("evil") + QChar(u'\0') + QStringLiteral(".swf"),
        QStringLiteral("line\nbreak"),
        QStringLiteral("tab\there"),
        QStringLiteral("bell\a"),
        QStringLiteral("del\x7f"),
        QStringLiteral("c1") + QChar(0x85),
        QStringLiteral("lone") + QChar(0xD800),
        QChar(0xDC00) + QStringLiteral("x"),
    };
    const QString good = QStringLiteral("f1.swf");
    for (const QString &name : bad) {
        EXPECT_FALSE(IsPlainPathComponent(name)) << name.toStdString();
        EXPECT_FALSE(LocalCopyPath(kHome, name, good)) << "column " << name.toStdString();
        EXPECT_FALSE(LocalCopyPath(kHome, QStringLiteral("益智游戏"), name)) << "file " << name.toStdString();
    }
    EXPECT_FALSE(LocalCopyPath(QString(), QStringLiteral("益智游戏"), good)) << "no home, no copy";
}

TEST(LocalCopyPath, BuildsThePathOfPlainNames)
{
    EXPECT_EQ(LocalCopyPath(kHome, QStringLiteral("益智游戏"), QStringLiteral("拼图 第1集.swf")),
              QStringLiteral("/home/user/flashbar/local/益智游戏/拼图 第1集.swf"));
    EXPECT_EQ(LocalCopyPath(kHome + u'/', QStringLiteral("Rock'n'Roll"), QStringLiteral("..hidden..swf")),
              QStringLiteral("/home/user/flashbar/local/Rock'n'Roll/..hidden..swf"));
    // Names that only look odd are plain: a backslash is an ordinary character
    // here, and a character outside the basic plane is a proper pair.
    EXPECT_TRUE(LocalCopyPath(kHome, QStringLiteral("a\\b"), QStringLiteral("笑\U0001F600.swf")));
    EXPECT_TRUE(LocalCopyPath(kHome, QStringLiteral("..."), QStringLiteral(" .swf")));
    EXPECT_EQ(LocalCopyPath(QStringLiteral("/"), QStringLiteral("c"), QStringLiteral("f")),
              QStringLiteral("/local/c/f"));
}

TEST(ExistingLocalCopy, AnOrdinaryVisibleFileInsideTheHomeOnly)
{
    QTemporaryDir home;
    QTemporaryDir otherDisk; // local/ may be a link the user made to elsewhere
    const auto write = [](const QString &path) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("FWS");
    };
    ASSERT_TRUE(QFile::link(otherDisk.path(), QDir(home.path()).filePath(QStringLiteral("local"))));
    write(QDir(otherDisk.path()).filePath(QStringLiteral("益智游戏/拼图 第1集.swf")));
    write(QDir(otherDisk.path()).filePath(QStringLiteral("益智游戏/.hidden.swf")));
    QDir(otherDisk.path()).mkpath(QStringLiteral("益智游戏/folder.swf"));
    write(QDir(home.path()).filePath(QStringLiteral("outside.swf")));

    const QString column = QStringLiteral("益智游戏");
    EXPECT_EQ(ExistingLocalCopy(home.path(), column, QStringLiteral("拼图 第1集.swf")),
              home.path() + QStringLiteral("/local/益智游戏/拼图 第1集.swf"));
    EXPECT_FALSE(ExistingLocalCopy(home.path(), column, QStringLiteral("missing.swf")));
    EXPECT_FALSE(ExistingLocalCopy(home.path(), column, QStringLiteral(".hidden.swf"))) << "a hidden file";
    EXPECT_FALSE(ExistingLocalCopy(home.path(), column, QStringLiteral("folder.swf"))) << "a directory";
    // The file outside local/ is there, but no name from the catalogue reaches it.
    EXPECT_FALSE(ExistingLocalCopy(home.path(), QStringLiteral(".."), QStringLiteral("outside.swf")));
    EXPECT_FALSE(ExistingLocalCopy(home.path(), column, QStringLiteral("../../outside.swf")));
    EXPECT_FALSE(ExistingLocalCopy(home.path(), QStringLiteral("../.."), QStringLiteral("outside.swf")));
    EXPECT_FALSE(ExistingLocalCopy(home.path(), column, QString(100000, u'x'))) << "too long for the file system";
}

} // namespace
