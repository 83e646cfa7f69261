// The hand-off's own terms, without sockets: the item text, the managers'
// names, and the frames of a conversation as bytes.
#include "handoff/Framing.h"
#include "handoff/ItemText.h"
#include "handoff/Managers.h"

#include <gtest/gtest.h>

using handoff::Manager;

TEST(ItemText, SplitsWhatTheProgramSends)
{
    // Commas in the query, in the column and file names, and a comma
    // before a '/' in the address.
    const QString targets[] = {QStringLiteral("/home/u/local/动画,精选/a,b.swf"), QStringLiteral("/home/u/local/c"),
                               QStringLiteral("/home/a,/b/local/,/f.swf")};
    const QString addresses[] = {QStringLiteral("http://h/files/a.swf?ids=1,2,3"),
                                 QStringLiteral("http://h/x,/y.swf?p=,/q"), QStringLiteral("ftp://h/a.swf")};
    for (const QString &address : addresses) {
        for (const QString &target : targets) {
            const auto parts = handoff::splitItemText(handoff::itemText(address, target));
            ASSERT_TRUE(parts) << address.toStdString();
            EXPECT_EQ(parts->target, target);
            EXPECT_EQ(QString(parts->address).replace(QStringLiteral("%2C/"), QStringLiteral(",/")), address);
        }
    }
}

TEST(Managers, NamesAndClassIdentifiersMapBothWays)
{
    EXPECT_EQ(handoff::serviceName(Manager::NetAnts), QStringLiteral("NetAnts"));
    EXPECT_EQ(handoff::serviceName(Manager::FlashGet), QStringLiteral("FlashGet"));
    EXPECT_EQ(handoff::classId(Manager::NetAnts), QStringLiteral("{57E91B42-F40A-11D1-B792-444553540000}"));
    EXPECT_EQ(handoff::classId(Manager::FlashGet), QStringLiteral("{FB5DA724-162B-11D3-8B9B-AA70B4B0B524}"));
    for (const Manager manager : handoff::kManagers) {
        EXPECT_EQ(handoff::managerOfService(handoff::serviceName(manager)), manager);
        EXPECT_EQ(handoff::managerOfClassId(handoff::classId(manager)), manager);
        EXPECT_EQ(handoff::managerOfClassId(handoff::classId(manager).toLower()), manager);
        // Service names are exact.
        EXPECT_FALSE(handoff::managerOfService(handoff::serviceName(manager).toLower()));
    }
    EXPECT_FALSE(handoff::managerOfService(QStringLiteral("Other")));
    EXPECT_FALSE(handoff::managerOfClassId(QStringLiteral("{00000000-0000-0000-0000-000000000000}")));
    EXPECT_NE(handoff::displayName(Manager::NetAnts), handoff::displayName(Manager::FlashGet));
}

TEST(Framing, RequestsArriveInAnyPiecesAndOverlongFramesBreakTheStream)
{
    // Length first, big-endian, then UTF-8.
    EXPECT_EQ(handoff::frame(QStringLiteral("ok")), QByteArray("\0\0\0\x02ok", 6));
    EXPECT_EQ(handoff::frame(QStringLiteral("动")), QByteArray("\0\0\0\x03\xe5\x8a\xa8", 7));
    EXPECT_EQ(handoff::frame(QString(handoff::kMaxFrame + 10, u'x')).size(), 4 + handoff::kMaxFrame);

    // A request fed in pieces of every size: whole only at its last byte,
    // and what follows it is not looked at.
    const QString item = QStringLiteral("http://h/a.swf?ids=1,2,/home/u/local/动画,精选/a,b.swf");
    const QByteArray bytes = handoff::requestBytes(handoff::kOpenUrlTopic, item);
    for (qsizetype piece = 1; piece <= bytes.size(); ++piece) {
        handoff::RequestReader reader;
        for (qsizetype at = 0; at < bytes.size(); at += piece) {
            EXPECT_FALSE(reader.request());
            reader.append(bytes.mid(at, piece));
        }
        reader.append(QByteArray("\xff\xff\xff\xff", 4));
        const std::optional<handoff::Request> request = reader.request();
        ASSERT_TRUE(request) << piece;
        EXPECT_EQ(request->topic, QStringLiteral("WWW_OPENURL"));
        EXPECT_EQ(request->item, item);
        EXPECT_FALSE(reader.broken());
    }

    // An announced length past the limit: nothing more comes out.
    handoff::RequestReader hostile;
    hostile.append(handoff::frame(handoff::kOpenUrlTopic) + QByteArray("\x00\x01\x00\x01", 4) + "x");
    EXPECT_TRUE(hostile.broken());
    EXPECT_FALSE(hostile.request());
    handoff::FrameReader answer;
    answer.append(handoff::frame(QStringLiteral("1")) + handoff::frame(QStringLiteral("2")));
    EXPECT_EQ(answer.next(), QStringLiteral("1"));
    EXPECT_EQ(answer.next(), QStringLiteral("2"));
    EXPECT_FALSE(answer.next());
}

TEST(Framing, AnOverlongTextIsCutBeforeTheCharacterThatDoesNotFit)
{
    // Characters of one to four UTF-8 bytes at every place across the limit:
    // the text read back is a start of the text sent, never a broken
    // character at its end.
    for (const QString &wide : {QStringLiteral("x"), QStringLiteral("é"), QStringLiteral("动"), QStringLiteral("😀")}) {
        for (qsizetype before = 1; before <= 4; ++before) {
            const QString text = QString(handoff::kMaxFrame - before, u'a') + wide.repeated(3);
            handoff::RequestReader reader;
            reader.append(handoff::requestBytes(handoff::kOpenUrlTopic, text));
            ASSERT_TRUE(reader.request()) << before;
            const QString item = reader.request()->item;
            EXPECT_TRUE(text.startsWith(item)) << wide.toStdString() << " " << before;
            EXPECT_LE(item.toUtf8().size(), handoff::kMaxFrame);
            EXPECT_GT(item.toUtf8().size(), handoff::kMaxFrame - 4);
        }
    }
}
