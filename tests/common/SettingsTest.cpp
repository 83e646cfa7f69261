// The settings file and the program's own folders, read from real files in
// a configuration home and an installed prefix of the test's own.
#include "common/Settings.h"
#include "common/Paths.h"

#include "Files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ConfigHome final
{
public:
    ConfigHome() : m_old(qgetenv("XDG_CONFIG_HOME")) { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path())); }
    ~ConfigHome() { qputenv("XDG_CONFIG_HOME", m_old); }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

} // namespace

TEST(Settings, SiteAddressComesFromOverrideFileOrDefault)
{
    for (const char *good : {"http://h/", "https://example.com:8080/cat", "http://127.0.0.1:1"})
        EXPECT_TRUE(common::siteAddressProblem(QString::fromUtf8(good)).isEmpty()) << good;
    for (const char *bad : {"ftp://h/", "http:///only/path", "h/x", "", "http://bad host/", "http://[::1"})
        EXPECT_TRUE(common::siteAddressProblem(QString::fromUtf8(bad)).contains(QString::fromUtf8(bad))) << bad;

    ConfigHome home;
    const QString file = common::settingsFilePath();
    EXPECT_EQ(file, home.path() + QStringLiteral("/flashbar/flashbar.conf"));

    // Nothing stored: the default, until the default is written down.
    common::SiteSetting setting = common::readSiteAddress({});
    EXPECT_EQ(setting.address, common::kDefaultSiteAddress);
    EXPECT_TRUE(setting.error.isEmpty());
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(common::keepDefaultSiteAddress());
    EXPECT_TRUE(readFile(file).contains(common::kDefaultSiteAddress.toUtf8()));

    // A stored address wins over the default, an override over both.
    writeFile(file, "[site]\naddress = \" https://mine.example:81/flash \"\n");
    EXPECT_TRUE(common::keepDefaultSiteAddress());
    EXPECT_FALSE(readFile(file).contains(common::kDefaultSiteAddress.toUtf8()));
    setting = common::readSiteAddress({});
    EXPECT_EQ(setting.address, QStringLiteral("https://mine.example:81/flash/"));
    EXPECT_TRUE(setting.error.isEmpty());
    setting = common::readSiteAddress(QStringLiteral("http://given/"));
    EXPECT_EQ(setting.address, QStringLiteral("http://given/"));
    EXPECT_TRUE(setting.error.isEmpty());

    // A bad stored address: the default, and why.
    writeFile(file, "[site]\naddress=ftp://mine.example/\n");
    setting = common::readSiteAddress({});
    EXPECT_EQ(setting.address, common::kDefaultSiteAddress);
    EXPECT_TRUE(setting.error.contains(QStringLiteral("ftp://mine.example/"))) << setting.error.toStdString();
    EXPECT_TRUE(setting.error.contains(file));

    // A file that cannot be read or written.
    QFile::remove(file);
    ASSERT_TRUE(QDir().mkpath(file));
    setting = common::readSiteAddress({});
    EXPECT_EQ(setting.address, common::kDefaultSiteAddress);
    EXPECT_TRUE(setting.error.contains(file)) << setting.error.toStdString();
    EXPECT_FALSE(common::keepDefaultSiteAddress());
}

TEST(Settings, ThePlayersSoundIsKeptAndABadValueIgnored)
{
    ConfigHome home;
    const QString file = common::settingsFilePath();
    EXPECT_EQ(common::readPlayerSound(), common::PlayerSound{}) << "nothing stored";
    EXPECT_FALSE(QFile::exists(file)) << "reading writes nothing";
    EXPECT_EQ(common::PlayerSound{}.volume, 100);

    writeFile(file, "[site]\naddress=http://mine.example/\n[player]\nvolume = 35\nmuted=TRUE\n");
    EXPECT_EQ(common::readPlayerSound(), (common::PlayerSound{35, true}));

    // Each bad value alone is ignored; the other is still read, and the
    // file stays as it was.
    for (const char *bad : {"-1", "101", "7.5", "abc", "\"\"", "0x10", "1e2"}) {
        const QByteArray text = QByteArray("[player]\nvolume=") + bad + "\nmuted=false\n";
        writeFile(file, text);
        EXPECT_EQ(common::readPlayerSound(), (common::PlayerSound{100, false})) << bad;
        EXPECT_EQ(readFile(file), text) << bad;
    }
    for (const char *bad : {"yes", "2", ""}) {
        const QByteArray text = QByteArray("[player]\nvolume=0\nmuted=") + bad + "\n";
        writeFile(file, text);
        EXPECT_EQ(common::readPlayerSound(), (common::PlayerSound{0, false})) << bad;
        EXPECT_EQ(readFile(file), text) << bad;
    }

    // Kept, it is read back, the site's settings beside it untouched.
    writeFile(file, "[site]\naddress=http://mine.example/\n");
    EXPECT_TRUE(common::keepPlayerSound({60, true}));
    EXPECT_EQ(common::readPlayerSound(), (common::PlayerSound{60, true}));
    EXPECT_EQ(common::readSiteAddress({}).address, QStringLiteral("http://mine.example/"));
    QFile::remove(file);
    ASSERT_TRUE(QDir().mkpath(file));
    EXPECT_FALSE(common::keepPlayerSound({60, true}));
}

TEST(Paths, AnInstalledProgramUsesItsPrefixAlone)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("usr"));
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/bin")));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("opt/libexec"))));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("opt/share/flashbar"))));
    EXPECT_EQ(common::installedDataDirFor(prefix + QStringLiteral("/bin")), QString());
    EXPECT_EQ(common::installedDataDirFor(dir.filePath(QStringLiteral("opt/libexec"))), QString());

    // The probe prints what it finds: data, player, help, demo site.
    const QString probe = prefix + QStringLiteral("/bin/paths-probe");
    ASSERT_TRUE(QFile::copy(QStringLiteral(PATHS_PROBE), probe));
    const auto found = [](const QString &program, const QString &ruffleDir = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("FLASHBAR_RUFFLE_DIR"));
        if (!ruffleDir.isEmpty())
            env.insert(QStringLiteral("FLASHBAR_RUFFLE_DIR"), ruffleDir);
        process.setProcessEnvironment(env);
        process.start(program, {});
        EXPECT_TRUE(process.waitForFinished(10000));
        return QString::fromUtf8(process.readAllStandardOutput()).split(u'\n');
    };
    // From the build tree: the source tree's player, the build's help; a
    // bin folder without share/flashbar beside it is no installation.
    const QStringList built = found(QStringLiteral(PATHS_PROBE));
    EXPECT_EQ(built.value(0), QString());
    EXPECT_EQ(built.value(1),
              QFile::exists(QStringLiteral(SOURCE_RUFFLE "/ruffle.js")) ? QStringLiteral(SOURCE_RUFFLE) : QString());
    EXPECT_EQ(built.value(2),
              QFile::exists(QStringLiteral(BUILD_HELP "/index.html")) ? QStringLiteral(BUILD_HELP) : QString());
    EXPECT_EQ(found(probe), built);

    // Installed: only the prefix's own files count.
    const QString share = prefix + QStringLiteral("/share/flashbar");
    ASSERT_TRUE(QDir().mkpath(share));
    EXPECT_EQ(common::installedDataDirFor(prefix + QStringLiteral("/bin/")), share);
    EXPECT_EQ(found(probe), (QStringList{share, QString(), QString(), QString(), QString()}));
    writeFile(share + QStringLiteral("/ruffle/ruffle.js"), "//");
    writeFile(share + QStringLiteral("/help/index.html"), "<p>");
    writeFile(prefix + QStringLiteral("/bin/flashbar-site"), "");
    EXPECT_EQ(found(probe), (QStringList{share, share + QStringLiteral("/ruffle"), share + QStringLiteral("/help"),
                                         prefix + QStringLiteral("/bin/flashbar-site"), QString()}));
    // A player folder of the user's choice comes first when it holds one.
    const QString chosen = dir.filePath(QStringLiteral("player"));
    EXPECT_EQ(found(probe, chosen).value(1), share + QStringLiteral("/ruffle"));
    writeFile(chosen + QStringLiteral("/ruffle.js"), "//");
    EXPECT_EQ(found(probe, chosen).value(1), chosen);
}
