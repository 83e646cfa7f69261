// Form bodies on GBK bytes, reading the site's answer, and the messages of
// the result codes.
#include "server/FormEncoding.h"
#include "server/ResultCode.h"

#include "ScriptedPrompter.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

// Undoes the form encoding; fails the test on anything it would not write.
QByteArray decodeForm(const QByteArray &encoded)
{
    QByteArray out;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const char c = encoded.at(i);
        if (c == '+') {
            out += ' ';
        } else if (c == '%') {
            const QByteArray hex = encoded.mid(i + 1, 2);
            EXPECT_EQ(hex, hex.toUpper()) << encoded.constData();
            bool ok = false;
            out += char(hex.toInt(&ok, 16));
            EXPECT_TRUE(ok && hex.size() == 2) << encoded.constData();
            i += 2;
        } else {
            EXPECT_TRUE(QByteArrayView("!$'()*-.@_").contains(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9'))
                << "unencoded byte " << int(c);
            out += c;
        }
    }
    return out;
}

TEST(EncodeFormValue, KeepsThePassThroughSetAndEscapesTheRest)
{
    const std::pair<QString, QByteArray> cases[] = {
        {QStringLiteral("a b&c=d"), "a+b%26c%3Dd"},
        {QStringLiteral("It's_(1)*-2.0$!"), "It's_(1)*-2.0$!"},
        {QStringLiteral("~"), "%7E"},
        {QStringLiteral("100%"), "100%25"},
        {QStringLiteral(" "), "+"},
        {QStringLiteral("1+1"), "1%2B1"},
        {QStringLiteral("a@b.c/d:e?f#g"), "a@b.c%2Fd%3Ae%3Ff%23g"},
        {QStringLiteral("\t\r\n\x7f"), "%09%0D%0A%7F"},
        {QString(), ""},
        // Each GBK byte of a Chinese character is its own escape.
        {QStringLiteral("中文"), "%D6%D0%CE%C4"},
        {QStringLiteral("闪客 帝国"), "%C9%C1%BF%CD+%B5%DB%B9%FA"},
        // Outside GBK, GB18030 still carries it: four bytes.
        {QStringLiteral("€"), "%A2%E3"},
    };
    for (const auto &[input, expected] : cases)
        EXPECT_EQ(EncodeFormValue(input), expected) << input.toStdString();
}

TEST(EncodeFormValue, RandomTextDecodesBackToItsGbkBytes)
{
    QRandomGenerator random(20261207);
    // Mostly ASCII and CJK, some of everything else in the basic plane.
    const auto randomChar = [&random]() -> char16_t {
        switch (random.bounded(4)) {
        case 0:
            return char16_t(random.bounded(0x80));
        case 1:
            return char16_t(0x4E00 + random.bounded(0x9FA5 - 0x4E00));
        case 2:
            return char16_t(0x20 + random.bounded(0x60));
        default:
            return char16_t(random.bounded(0xD800));
        }
    };
    for (int n = 0; n < 60000; ++n) {
        QString text;
        const int length = int(random.bounded(12));
        for (int i = 0; i < length; ++i)
            text += QChar(randomChar());
        const QByteArray bytes = server::toSiteBytes(text);
        const QByteArray encoded = EncodeFormValue(text);
        ASSERT_LE(encoded.size(), bytes.size() * 3);
        ASSERT_EQ(decodeForm(encoded), bytes) << text.toStdString();
    }
    // Every single byte, too.
    for (int b = 0; b < 256; ++b) {
        const QByteArray byte(1, char(b));
        ASSERT_EQ(decodeForm(server::encodeFormBytes(byte)), byte) << b;
    }
}

TEST(FormBody, JoinsPairsInOrderWithLiteralNames)
{
    EXPECT_EQ(server::buildFormBody({{QStringLiteral("Username"), QStringLiteral("张 三")},
                                     {QStringLiteral("Password"), QStringLiteral("a&b=c")}}),
              QByteArray("Username=%D5%C5+%C8%FD&Password=a%26b%3Dc"));
    // An empty value still sends its name and the equals sign.
    EXPECT_EQ(server::buildFormBody({{QStringLiteral("a"), QString()}, {QStringLiteral("b"), QStringLiteral("1")}}),
              QByteArray("a=&b=1"));
    EXPECT_EQ(server::buildFormBody({{QStringLiteral("only"), QStringLiteral("x")}}), QByteArray("only=x"));
}

TEST(ResultCode, FirstLineTrimmedAsASignedNumber)
{
    using server::kNoAnswer;
    using server::kUnreadable;
    const std::pair<QString, int> cases[] = {
        {QStringLiteral("0"), 0},
        {QStringLiteral("  0 \t"), 0},
        {QStringLiteral("0\n登陆成功，欢迎！\n3"), 0},
        {QStringLiteral("3\r\nwrong"), 3},
        {QStringLiteral("\x01 2\x1f\rx"), 2},
        {QStringLiteral("99999"), 99999},
        {QStringLiteral("-7"), -7},
        {QStringLiteral("+4"), 4},
        {QStringLiteral("2147483647"), 2147483647},
        {QStringLiteral("-2147483648"), -2147483647 - 1},
        {QStringLiteral("2147483648"), kUnreadable},
        {QStringLiteral("OK"), kUnreadable},
        {QStringLiteral("1 2"), kUnreadable},
        {QStringLiteral("0x10"), kUnreadable},
        {QStringLiteral("\n0"), kUnreadable},
        {QStringLiteral("   "), kUnreadable},
        {QStringLiteral("无法显示此网页"), kUnreadable},
    };
    for (const auto &[text, code] : cases)
        EXPECT_EQ(server::readResultCode(text, kNoAnswer), code) << text.toStdString();
    // No text at all keeps what was there.
    EXPECT_EQ(server::readResultCode(QString(), kNoAnswer), kNoAnswer);
    EXPECT_EQ(server::readResultCode(QString(), 5), 5);
}

TEST(ResultCode, ALineWithAnythingButDigitsAfterTheSignIsUnreadable)
{
    // A NUL used to end the number early: "29<NUL>x147" read as 29.
    const QString lines[] = {
        QString::fromUtf16(u"29\0\0\0x147\n", 10),
        QString::fromUtf16(u"0\0001", 3),
        QString::fromUtf16(u"-\0005", 3),
        QStringLiteral("5\x7f"),
        QStringLiteral("\u0663"),
        QStringLiteral("\uff15"),
        QStringLiteral("+"),
        QStringLiteral("+-1"),
    };
    for (const QString &line : lines)
        EXPECT_EQ(server::readResultCode(line, server::kNoAnswer), server::kUnreadable) << line.toStdString();
    EXPECT_EQ(server::readResultCode(QString::fromUtf16(u"\0 12 \0\nx", 8), server::kNoAnswer), 12);
}

TEST(ResultCode, RandomPagesNeverBreakTheReader)
{
    QRandomGenerator random(7);
    const QString alphabet = QStringLiteral("0123456789+- \t\r\n\x01x中");
    for (int n = 0; n < 200000; ++n) {
        QString text;
        const int length = int(random.bounded(14));
        for (int i = 0; i < length; ++i)
            text += alphabet.at(random.bounded(alphabet.size()));
        const int code = server::readResultCode(text, server::kNoAnswer);
        // A number is read back only from a line that really holds it.
        if (code != server::kUnreadable && !text.isEmpty()) {
            QString line = text.section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0);
            while (!line.isEmpty() && line.front().unicode() <= 0x20)
                line.remove(0, 1);
            while (!line.isEmpty() && line.back().unicode() <= 0x20)
                line.chop(1);
            ASSERT_EQ(line.toInt(), code) << text.toStdString();
        }
    }
}

TEST(ResultCode, MessagesUnderPromptWithTheStopIcon)
{
    ScriptedPrompter prompter;
    for (const int code : {0, 99999, 1, 2, 3, 4, -1, 5, 42, -2})
        ShowResultMessage(prompter, code);
    const QStringList expected = {
        QStringLiteral("对不起，您输入的参数不足!"),
        QStringLiteral("对不起，您的用户名已经存在，请重新填写！"),
        QStringLiteral("对不起，您的用户名或密码不正确！"),
        QStringLiteral("对不起，您的口令不正确！"),
        QStringLiteral("对不起，数据发送失败!"),
        QStringLiteral("不明错误，请通知管理员！"),
        QStringLiteral("不明错误，请通知管理员！"),
        QStringLiteral("不明错误，请通知管理员！"),
    };
    ASSERT_EQ(prompter.asked.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(prompter.asked.at(i).text, expected.at(i));
        EXPECT_EQ(prompter.asked.at(i).title, QStringLiteral("提示"));
        EXPECT_EQ(prompter.asked.at(i).icon, platform::Prompter::Icon::Error);
        EXPECT_EQ(prompter.asked.at(i).buttons, platform::Prompter::Buttons::Ok);
    }
}

} // namespace
