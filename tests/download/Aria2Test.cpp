// aria2c as the manager drives it: what its callers hear when it cannot be
// started, dies while starting, or refuses a call.
#include "Wait.h"

#include "dm/Aria2.h"
#include "dm/Downloads.h"
#include "handoff/ItemText.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using handoff::itemText;

namespace {

// What one call of aria2 came back with.
struct Answer
{
    bool done = false;
    QJsonValue result;
    QString error;

    dm::Aria2::Callback callback()
    {
        return [this](const QJsonValue &r, const QString &e) {
            done = true;
            result = r;
            error = e;
        };
    }
};

// TMPDIR for as long as it lives.
class TempDirVariable final
{
public:
    explicit TempDirVariable(const QString &path) : m_old(qgetenv("TMPDIR")), m_had(qEnvironmentVariableIsSet("TMPDIR"))
    {
        qputenv("TMPDIR", QFile::encodeName(path));
    }
    ~TempDirVariable()
    {
        if (m_had)
            qputenv("TMPDIR", m_old);
        else
            qunsetenv("TMPDIR");
    }

private:
    QByteArray m_old;
    bool m_had;
};

} // namespace

TEST(Aria2, CallersHearWhyItCannotServeAndWhatItRefuses)
{
    QTemporaryDir work;
    const QString target = work.filePath(QStringLiteral("local/f.swf"));
    const QString item = itemText(QStringLiteral("http://127.0.0.1:9/f.swf"), target);

    // No aria2c to start: the waiting call and the download fail with why.
    {
        const QString program = work.filePath(QStringLiteral("no-such-aria2c"));
        dm::Aria2 missing(program);
        dm::Downloads downloads(missing);
        QStringList stops;
        QObject::connect(&missing, &dm::Aria2::stopped, [&](const QString &reason) { stops << reason; });
        Answer version;
        missing.call(QStringLiteral("aria2.getVersion"), {}, version.callback());
        ASSERT_TRUE(downloads.accept(QStringLiteral("NetAnts"), item));
        EXPECT_EQ(downloads.data(downloads.index(0, dm::Downloads::StateColumn), Qt::DisplayRole).toString(),
                  QStringLiteral("等待"));
        EXPECT_EQ(downloads.data(downloads.index(0, dm::Downloads::ProgressColumn), Qt::DisplayRole).toString(),
                  QStringLiteral("0%"));
        EXPECT_TRUE(waitFor([&] { return version.done && downloads.downloads().at(0).state == dm::Download::Failed; }));
        EXPECT_TRUE(version.error.contains(program)) << version.error.toStdString();
        EXPECT_EQ(downloads.downloads().at(0).reason, version.error);
        EXPECT_EQ(stops, QStringList{version.error});
        EXPECT_FALSE(missing.isReady());
        EXPECT_EQ(missing.processId(), 0);
        // A refused item adds no row.
        EXPECT_FALSE(downloads.accept(QStringLiteral("NetAnts"), QStringLiteral("ftp://h/f.swf,relative/f.swf")));
        EXPECT_EQ(downloads.rowCount(), 1);
    }

    // No temporary folder for its configuration: nothing is started.
    {
        QFile file(work.filePath(QStringLiteral("not-a-folder")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        const TempDirVariable tmp(file.fileName());
        dm::Aria2 unprepared;
        Answer version;
        unprepared.call(QStringLiteral("aria2.getVersion"), {}, version.callback());
        EXPECT_TRUE(version.done);
        EXPECT_FALSE(version.error.isEmpty());
        EXPECT_EQ(unprepared.processId(), 0);
    }

    // aria2c dies while starting: the waiting call fails with how it ended,
    // and its configuration goes with it. The next call starts it again.
    QTemporaryDir temp;
    const TempDirVariable tmp(temp.path());
    const auto tempIsEmpty = [&] {
        return QDir(temp.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    dm::Aria2 aria2;
    Answer first;
    aria2.call(QStringLiteral("aria2.getVersion"), {}, first.callback());
    ASSERT_GT(aria2.processId(), 0);
    EXPECT_FALSE(tempIsEmpty());
    ::kill(pid_t(aria2.processId()), SIGKILL);
    EXPECT_TRUE(waitFor([&] { return first.done; }));
    EXPECT_FALSE(first.error.isEmpty());
    EXPECT_FALSE(aria2.isReady());
    EXPECT_TRUE(tempIsEmpty());

    Answer version;
    aria2.call(QStringLiteral("aria2.getVersion"), {}, version.callback());
    EXPECT_TRUE(waitFor([&] { return version.done; }, 15000));
    EXPECT_TRUE(version.error.isEmpty()) << version.error.toStdString();
    EXPECT_TRUE(aria2.isReady());
    EXPECT_FALSE(aria2.version().isEmpty());
    EXPECT_EQ(version.result.toObject().value(QLatin1String("version")).toString(), aria2.version());

    // aria2's own refusal comes back as its message.
    Answer unknown;
    aria2.call(QStringLiteral("aria2.tellStatus"), {QStringLiteral("00000000000000ff")}, unknown.callback());
    EXPECT_TRUE(waitFor([&] { return unknown.done; }));
    EXPECT_TRUE(unknown.error.contains(QStringLiteral("00000000000000ff"))) << unknown.error.toStdString();
    EXPECT_TRUE(unknown.result.isUndefined() || unknown.result.isNull());

    // Killed with a call under way: that call fails with the connection's
    // reason.
    Answer cut;
    aria2.call(QStringLiteral("aria2.getVersion"), {}, cut.callback());
    ::kill(pid_t(aria2.processId()), SIGKILL);
    EXPECT_TRUE(waitFor([&] { return cut.done; }));
    EXPECT_FALSE(cut.error.isEmpty());
    EXPECT_TRUE(cut.result.isUndefined() || cut.result.isNull());
}
