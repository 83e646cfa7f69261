#include "server/ResultCode.h"

#include "platform/Prompter.h"

namespace server {

namespace {

bool isBlank(QChar c)
{
    return c.unicode() <= 0x20;
}

// An optional sign and ASCII digits, nothing else (a NUL would end Qt's
// reading of the number early).
bool isDecimal(QStringView text)
{
    if (text.startsWith(u'+') || text.startsWith(u'-'))
        text = text.sliced(1);
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

int readResultCode(const QString &pageText, int current)
{
    if (pageText.isEmpty())
        return current;
    qsizetype end = 0;
    while (end < pageText.size() && pageText.at(end) != u'\r' && pageText.at(end) != u'\n')
        ++end;
    qsizetype begin = 0;
    while (begin < end && isBlank(pageText.at(begin)))
        ++begin;
    while (end > begin && isBlank(pageText.at(end - 1)))
        --end;
    const QStringView line = QStringView(pageText).sliced(begin, end - begin);
    bool ok = false;
    const int code = isDecimal(line) ? line.toInt(&ok, 10) : 0;
    return ok ? code : kUnreadable;
}

QString resultMessage(int code)
{
    switch (code) {
    case kSuccess:
    case kNoAnswer:
        return {};
    case 1:
        return QStringLiteral("对不起，您输入的参数不足!");
    case 2:
        return QStringLiteral("对不起，您的用户名已经存在，请重新填写！");
    case 3:
        return QStringLiteral("对不起，您的用户名或密码不正确！");
    case 4:
        return QStringLiteral("对不起，您的口令不正确！");
    case kUnreadable:
        return QStringLiteral("对不起，数据发送失败!");
    default:
        return QStringLiteral("不明错误，请通知管理员！");
    }
}

} // namespace server

void ShowResultMessage(platform::Prompter &prompter, int code)
{
    const QString message = server::resultMessage(code);
    if (!message.isEmpty())
        prompter.ask(QStringLiteral("提示"), message, platform::Prompter::Icon::Error, platform::Prompter::Buttons::Ok);
}
