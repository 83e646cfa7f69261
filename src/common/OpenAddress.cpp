#include "common/OpenAddress.h"

#include "common/Text.h"

#include <QDir>

namespace {

// The address as a status text may show it: one line, not too long.
QString shown(const QString &address)
{
    QString text = address;
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control || c.isSurrogate())
            c = u'?';
    }
    return TruncateWithEllipsis(text, 80);
}

OpenAddress refuse(const QString &address, const QString &why)
{
    OpenAddress verdict;
    verdict.reason = QStringLiteral("未打开地址“%1”：%2").arg(shown(address), why);
    return verdict;
}

OpenAddress localFile(const QString &address, const QString &path, const QString &programDir)
{
    if (programDir.isEmpty())
        return refuse(address, QStringLiteral("不能打开本地文件"));
    const QString root = QDir::cleanPath(programDir + QStringLiteral("/local")) + u'/';
    const QString cleaned = QDir::cleanPath(path);
    if (!cleaned.startsWith(root) || cleaned.size() == root.size())
        return refuse(address, QStringLiteral("只能打开本地副本"));
    OpenAddress verdict;
    verdict.kind = OpenAddress::LocalFile;
    verdict.url = QUrl::fromLocalFile(cleaned);
    return verdict;
}

} // namespace

OpenAddress CheckOpenAddress(const QString &address, const QString &programDir)
{
    const QString text = address.trimmed();
    if (text.isEmpty())
        return refuse(address, QStringLiteral("地址是空的"));
    for (const QChar c : text) {
        // Browsers drop tabs and line ends inside addresses, which could
        // turn a harmless-looking text into another scheme.
        if (c.category() == QChar::Other_Control)
            return refuse(address, QStringLiteral("地址含有控制字符"));
    }
    if (!QStringView(text).isValidUtf16())
        return refuse(address, QStringLiteral("地址含有无效字符"));
    if (text.startsWith(u'/'))
        return localFile(address, text, programDir);

    QUrl url(text, QUrl::StrictMode);
    if (url.scheme().isEmpty())
        url = QUrl::fromUserInput(text);
    const QString scheme = url.scheme().toLower();
    OpenAddress verdict;
    if (!url.isValid())
        return refuse(address, QStringLiteral("地址无效"));
    if (scheme == u"http" || scheme == u"https") {
        if (url.host().isEmpty())
            return refuse(address, QStringLiteral("地址无效"));
        verdict.kind = OpenAddress::Web;
    } else if (scheme == u"mailto") {
        verdict.kind = OpenAddress::Mail;
    } else if (scheme == u"file") {
        if (!url.host().isEmpty())
            return refuse(address, QStringLiteral("只能打开本地副本"));
        return localFile(address, url.toLocalFile(), programDir);
    } else {
        return refuse(address, QStringLiteral("只打开 http、https 和 mailto 地址"));
    }
    verdict.url = url;
    return verdict;
}
