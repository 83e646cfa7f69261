#include "app/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The program's own name comes first, as in argv.
app::Options parse(QStringList arguments, const QString &environmentSite = QString())
{
    arguments.prepend(QStringLiteral("flashbar"));
    return app::parseCommandLine(arguments, environmentSite);
}

TEST(ParseCommandLine, OptionsTakeSeparateOrJoinedValues)
{
    const auto none = parse({});
    EXPECT_EQ(none.error, QString());
    EXPECT_EQ(none.home, QString());
    EXPECT_EQ(none.screenshot, QString());
    EXPECT_FALSE(none.notifyNewItems.has_value());
    EXPECT_FALSE(none.help);
    EXPECT_FALSE(none.version);

    const auto separate =
        parse({QStringLiteral("--home"), QStringLiteral("/srv/flash 吧"), QStringLiteral("--site"),
               QStringLiteral("http://example.org/fb"), QStringLiteral("--screenshot"), QStringLiteral("shot.png"),
               QStringLiteral("--notify-new-items"), QStringLiteral("7")});
    EXPECT_EQ(separate.error, QString());
    EXPECT_EQ(separate.home, QStringLiteral("/srv/flash 吧"));
    EXPECT_EQ(separate.site, QStringLiteral("http://example.org/fb/"));
    EXPECT_EQ(separate.screenshot, QStringLiteral("shot.png"));
    EXPECT_EQ(separate.notifyNewItems, 7);

    const auto joined = parse({QStringLiteral("--home=/srv/flash 吧"), QStringLiteral("--site=https://example.org/"),
                               QStringLiteral("--screenshot=shot.png"), QStringLiteral("--notify-new-items=7")});
    EXPECT_EQ(joined.error, QString());
    EXPECT_EQ(joined.home, QStringLiteral("/srv/flash 吧"));
    EXPECT_EQ(joined.site, QStringLiteral("https://example.org/"));
    EXPECT_EQ(joined.screenshot, QStringLiteral("shot.png"));
    EXPECT_EQ(joined.notifyNewItems, 7);

    // A joined value may itself hold '=' and a separate one may start with '-'.
    EXPECT_EQ(parse({QStringLiteral("--screenshot=a=b.png")}).screenshot, QStringLiteral("a=b.png"));
    EXPECT_EQ(parse({QStringLiteral("--home"), QStringLiteral("-dir")}).home, QStringLiteral("-dir"));

    EXPECT_TRUE(parse({QStringLiteral("--help")}).help);
    EXPECT_TRUE(parse({QStringLiteral("-h")}).help);
    EXPECT_TRUE(parse({QStringLiteral("--version")}).version);
    EXPECT_TRUE(parse({QStringLiteral("-v")}).version);
}

TEST(ParseCommandLine, SitePrecedenceAndTrailingSlash)
{
    const QString fromOption = QStringLiteral("http://option.example/base");
    const QString fromEnvironment = QStringLiteral("http://env.example:8080/flash");

    EXPECT_EQ(parse({QStringLiteral("--site"), fromOption}, fromEnvironment).site,
              QStringLiteral("http://option.example/base/"));
    EXPECT_EQ(parse({}, fromEnvironment).site, QStringLiteral("http://env.example:8080/flash/"));
    EXPECT_EQ(parse({}).site, app::kDefaultSite);
    EXPECT_TRUE(app::kDefaultSite.endsWith(u'/'));

    // An address already ending in '/' keeps exactly one.
    EXPECT_EQ(parse({QStringLiteral("--site=http://a.example/")}).site, QStringLiteral("http://a.example/"));
    EXPECT_EQ(parse({}, QStringLiteral("https://b.example/x/")).site, QStringLiteral("https://b.example/x/"));
    EXPECT_EQ(parse({QStringLiteral("--site=http://a.example")}).site, QStringLiteral("http://a.example/"));
}

TEST(ParseCommandLine, RejectsSitesThatAreNotHttpAddresses)
{
    for (const QString &site :
         {QStringLiteral("ftp://files.example/"), QStringLiteral("file:///srv/site/"), QStringLiteral("http://"),
          QStringLiteral("https:///path"), QStringLiteral("example.org/flash"), QStringLiteral("not a url")}) {
        SCOPED_TRACE(site.toStdString());
        EXPECT_NE(parse({QStringLiteral("--site"), site}).error, QString());
        EXPECT_NE(parse({}, site).error, QString()) << "from the environment";
    }
    // Only the address in use is checked: an option replaces the environment value.
    EXPECT_EQ(parse({QStringLiteral("--site=http://good.example/")}, QStringLiteral("ftp://bad/")).error, QString());
    EXPECT_NE(parse({QStringLiteral("--site=ftp://bad/")}, QStringLiteral("http://good.example/")).error, QString());
}

TEST(ParseCommandLine, NotifyNewItemsNeedsAWholeNumber)
{
    EXPECT_EQ(parse({QStringLiteral("--notify-new-items"), QStringLiteral("0")}).notifyNewItems, 0);
    EXPECT_EQ(parse({QStringLiteral("--notify-new-items=0")}).notifyNewItems, 0);
    // Zero and negative counts are passed on; the receiving window ignores them.
    const auto negative = parse({QStringLiteral("--notify-new-items"), QStringLiteral("-3")});
    EXPECT_EQ(negative.error, QString());
    EXPECT_EQ(negative.notifyNewItems, -3);
    EXPECT_EQ(parse({QStringLiteral("--notify-new-items=-3")}).notifyNewItems, -3);

    for (const QString &bad : {QStringLiteral("many"), QStringLiteral("1.5"), QStringLiteral("12abc"),
                               QStringLiteral(""), QStringLiteral("99999999999")}) {
        SCOPED_TRACE(bad.toStdString());
        const auto o = parse({QStringLiteral("--notify-new-items=") + bad});
        EXPECT_NE(o.error, QString());
        EXPECT_FALSE(o.notifyNewItems.has_value());
    }
}

TEST(ParseCommandLine, MissingValuesAndUnknownOptions)
{
    for (const QString &option : {QStringLiteral("--home"), QStringLiteral("--site"), QStringLiteral("--screenshot"),
                                  QStringLiteral("--notify-new-items")}) {
        SCOPED_TRACE(option.toStdString());
        const auto o = parse({option});
        EXPECT_NE(o.error, QString());
        EXPECT_FALSE(o.notifyNewItems.has_value());
    }

    EXPECT_NE(parse({QStringLiteral("--frobnicate")}).error, QString());
    EXPECT_NE(parse({QStringLiteral("--frobnicate=1")}).error, QString());
    EXPECT_NE(parse({QStringLiteral("--homes=/x")}).error, QString());
    EXPECT_NE(parse({QStringLiteral("stray")}).error, QString());

    // Options of the toolkit are passed over, with their values.
    const auto toolkit =
        parse({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--home"), QStringLiteral("/h"),
               QStringLiteral("-reverse"), QStringLiteral("--screenshot=s.png")});
    EXPECT_EQ(toolkit.error, QString());
    EXPECT_EQ(toolkit.home, QStringLiteral("/h"));
    EXPECT_EQ(toolkit.screenshot, QStringLiteral("s.png"));
    EXPECT_EQ(parse({QStringLiteral("-platform")}).error, QString());
}

TEST(ResolveHome, ExplicitThenCurrentDirectoryThenUserData)
{
    QTemporaryDir current;
    QTemporaryDir userData;
    ASSERT_TRUE(current.isValid());
    ASSERT_TRUE(userData.isValid());
    const QString cur = current.path();
    const QString data = userData.path();
    const QString fallback = data + QStringLiteral("/flashbar");

    // Nothing in the current directory: the user's data directory.
    EXPECT_EQ(app::resolveHome(QString(), cur, data), fallback);

    // A file named Data is not a data directory.
    {
        QFile file(QDir(cur).filePath(QStringLiteral("Data")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(app::resolveHome(QString(), cur, data), fallback);
    ASSERT_TRUE(QFile::remove(QDir(cur).filePath(QStringLiteral("Data"))));

    // A Data directory makes the current directory the home.
    ASSERT_TRUE(QDir(cur).mkdir(QStringLiteral("Data")));
    EXPECT_EQ(app::resolveHome(QString(), cur, data), QDir(cur).absolutePath());

    // --home wins over both; a relative one is taken from the current directory.
    EXPECT_EQ(app::resolveHome(QStringLiteral("elsewhere"), cur, data), cur + QStringLiteral("/elsewhere"));
    EXPECT_EQ(app::resolveHome(QStringLiteral("a/b"), cur, data), cur + QStringLiteral("/a/b"));
    EXPECT_EQ(app::resolveHome(data, cur, data), data);
}

} // namespace
