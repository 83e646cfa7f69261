// Finding and starting companion and manager programs: real scripts in a
// home folder, on PATH and beside the program, started as real processes.
#include "handoff/Framing.h"
#include "handoff/Managers.h"
#include "platform/Automation.h"
#include "platform/Companion.h"
#include "platform/Conversation.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// Writes an executable script (or a plain file when `executable` is false).
QString script(const QString &path, const QByteArray &text, bool executable = true)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeOwner);
    return path;
}

// The lines a started script appended to `marker`, once `count` are there.
QStringList waitForLines(const QString &marker, int count)
{
    QStringList lines;
    const bool there = QTest::qWaitFor(
        [&] {
            QFile file(marker);
            lines = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                                   : QStringList();
            return lines.size() >= count;
        },
        5000);
    EXPECT_TRUE(there) << lines.join(u';').toStdString();
    return lines;
}

QByteArray recorder(const QString &marker, const QByteArray &name)
{
    return "#!/bin/sh\necho \"" + name + " $*\" >> '" + QFile::encodeName(marker) + "'\n";
}

class PathVar final
{
public:
    PathVar() : m_old(qgetenv("PATH")) {}
    ~PathVar() { qputenv("PATH", m_old); }

private:
    QByteArray m_old;
};

} // namespace

TEST(Companion, IsStartedFromHomeThenPathElseOurOwn)
{
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    const QString marker = dir.filePath(QStringLiteral("started"));
    script(home + QStringLiteral("/inhome"), recorder(marker, "inhome"));
    script(home + QStringLiteral("/plain"), recorder(marker, "plain"), false);
    script(dir.filePath(QStringLiteral("bin/onpath")), recorder(marker, "onpath"));
    const platform::OwnCompanion own{script(dir.filePath(QStringLiteral("own/ours")), recorder(marker, "ours")),
                                     {QStringLiteral("--site"), QStringLiteral("a b")}};
    const platform::OwnCompanion notRunnable{home + QStringLiteral("/plain"), {}};
    PathVar path;
    qputenv("PATH", QFile::encodeName(dir.filePath(QStringLiteral("bin"))));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(home));

    EXPECT_TRUE(platform::startCompanion(QStringLiteral("inhome"), own));
    EXPECT_TRUE(platform::startCompanion(QStringLiteral("onpath"), own));
    // A name with a folder, or one that is missing or not runnable: ours.
    EXPECT_TRUE(platform::startCompanion(QStringLiteral("./inhome"), own));
    EXPECT_TRUE(platform::startCompanion(QStringLiteral("plain"), own));
    EXPECT_TRUE(platform::startCompanion(QString(), own));
    EXPECT_FALSE(platform::startCompanion(QStringLiteral("missing")));
    EXPECT_FALSE(platform::startCompanion(QStringLiteral("missing"), notRunnable));
    EXPECT_FALSE(platform::startCompanion(QStringLiteral("missing"), {dir.filePath(QStringLiteral("own")), {}}));
    QDir::setCurrent(before);

    QStringList lines = waitForLines(marker, 5);
    lines.sort();
    EXPECT_EQ(lines,
              (QStringList{QStringLiteral("inhome "), QStringLiteral("onpath "), QStringLiteral("ours --site a b"),
                           QStringLiteral("ours --site a b"), QStringLiteral("ours --site a b")}));
}

TEST(Automation, FindsAttachesToOrStartsTheManagerOfAClass)
{
    const QString netAnts = handoff::serviceName(handoff::Manager::NetAnts);
    const QString flashGet = handoff::serviceName(handoff::Manager::FlashGet);
    EXPECT_EQ(platform::AutomationPort::serviceOf(handoff::classId(handoff::Manager::NetAnts).toLower()), netAnts);
    EXPECT_EQ(platform::AutomationPort::serviceOf(handoff::classId(handoff::Manager::FlashGet)), flashGet);
    EXPECT_TRUE(
        platform::AutomationPort::serviceOf(QStringLiteral("{00000000-0000-0000-0000-000000000000}")).isEmpty());

    // Looked for in the home folder, then on PATH, then our own.
    QTemporaryDir dir;
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    ASSERT_FALSE(python.isEmpty());
    const QString home = dir.filePath(QStringLiteral("home"));
    const QString own = script(dir.filePath(QStringLiteral("own/dm")), "#!/bin/sh\nexit 0\n");
    const QString inHome = script(home + u'/' + netAnts, "#!/bin/sh\nexit 0\n");
    const QString onPath = script(dir.filePath(QStringLiteral("bin/")) + netAnts, "#!/bin/sh\nexit 0\n");
    script(home + u'/' + flashGet, "#!/bin/sh\nexit 0\n", false);
    {
        PathVar path;
        qputenv("PATH", QFile::encodeName(dir.filePath(QStringLiteral("bin"))));
        EXPECT_EQ(platform::findManagerProgram(netAnts, {home, own}), inHome);
        EXPECT_EQ(platform::findManagerProgram(netAnts, {QString(), own}), onPath);
        EXPECT_EQ(platform::findManagerProgram(flashGet, {home, own}), own);
        EXPECT_EQ(platform::findManagerProgram(flashGet, {home, home + u'/' + flashGet}), QString());
        EXPECT_EQ(platform::startManagerProgram(flashGet, {home, QString()}), 0);
    }

    qputenv("FLASHBAR_DDE_DIR", QFile::encodeName(dir.filePath(QStringLiteral("dde"))));
    QString error;
    ASSERT_TRUE(platform::dde::prepareServiceDirectory(&error)) << error.toStdString();
    const auto failure = [](platform::AutomationPort &port, const QString &classId) {
        try {
            port.start(classId);
        } catch (const platform::AutomationError &e) {
            return QString::fromStdString(e.what());
        }
        return QString();
    };
    const QString flashGetClass = handoff::classId(handoff::Manager::FlashGet);

    // A class nobody registered, a manager that cannot be found, one that
    // does not come up, one that refuses the start call.
    platform::AutomationPort nothing({home, QString()}, 300);
    EXPECT_FALSE(failure(nothing, QStringLiteral("{1234}")).isEmpty());
    EXPECT_TRUE(failure(nothing, flashGetClass).contains(flashGet));
    EXPECT_EQ(nothing.startedProcess(), 0);
    platform::AutomationPort quitting({home, own}, 300);
    EXPECT_TRUE(failure(quitting, flashGetClass).contains(flashGet));
    EXPECT_GT(quitting.startedProcess(), 0);
    {
        platform::dde::Server refusing(flashGet, [](const QString &, const QString &) { return std::nullopt; });
        ASSERT_TRUE(refusing.listen(&error));
        EXPECT_TRUE(failure(nothing, flashGetClass).contains(flashGet));
    }

    // One that runs already is attached to and asked to show itself.
    QStringList asked;
    {
        platform::dde::Server running(flashGet, [&](const QString &topic, const QString &item) {
            asked << topic + u'|' + item;
            return std::optional<QString>(QStringLiteral("shown"));
        });
        ASSERT_TRUE(running.listen(&error));
        platform::AutomationPort port({home, own}, 300);
        EXPECT_EQ(port.start(flashGetClass), platform::AutomationPort::Attached);
        EXPECT_EQ(port.startedProcess(), 0);
    }

    // One that is not running is started, waited for and asked.
    const QString marker = dir.filePath(QStringLiteral("asked"));
    const QString serving = script(dir.filePath(QStringLiteral("own/serving")), R"(#!)" + QFile::encodeName(python) +
                                                                                    R"(
import os, socket, struct
path = os.path.join(os.environ["FLASHBAR_DDE_DIR"], ")" + flashGet.toUtf8() + R"(")
server = socket.socket(socket.AF_UNIX)
server.bind(path)
server.listen(8)
def request(c):
    data, frames = b"", []
    while len(frames) < 2:
        if len(data) >= 4 and len(data) >= 4 + struct.unpack(">I", data[:4])[0]:
            size = struct.unpack(">I", data[:4])[0]
            frames.append(data[4:4 + size].decode())
            data = data[4 + size:]
            continue
        more = c.recv(4096)
        if not more:
            return None
        data += more
    return frames
while True:
    c, _ = server.accept()
    try:
        frames = request(c)
    except OSError:
        frames = None
    if frames is None:
        c.close()
        continue
    topic, item = frames
    with open(")" + QFile::encodeName(marker) + R"(", "a") as f:
        f.write(topic + "|" + item + "\n")
    c.sendall(struct.pack(">I", 5) + b"shown")
    c.close()
    break
os.unlink(path)
)");
    platform::AutomationPort port({home, serving}, 5000);
    EXPECT_EQ(port.start(flashGetClass), platform::AutomationPort::Started);
    EXPECT_GT(port.startedProcess(), 0);
    asked += waitForLines(marker, 1);
    const QString start = handoff::kAutomationTopic + u'|' + handoff::kStartItem;
    EXPECT_EQ(asked, (QStringList{start, start}));
    // It ends after answering; should it not have, it is ended here.
    if (port.startedProcess() > 0 && platform::dde::serviceAnswers(flashGet))
        ::kill(pid_t(port.startedProcess()), SIGTERM);
    qunsetenv("FLASHBAR_DDE_DIR");
}
