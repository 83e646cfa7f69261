#include "dm/ErrorText.h"

#include <cerrno>

namespace dm {

QString aria2ErrorText(int code, const QString &message)
{
    // The system's reason shows through some of aria2's codes.
    if (message.contains(QLatin1String("No space left"), Qt::CaseInsensitive))
        return systemErrorText(ENOSPC);
    if (message.contains(QLatin1String("Permission denied"), Qt::CaseInsensitive))
        return systemErrorText(EACCES);
    if (message.contains(QLatin1String("Connection refused"), Qt::CaseInsensitive))
        return QStringLiteral("服务器拒绝连接");
    switch (code) {
    case 2:
        return QStringLiteral("连接超时");
    case 3:
    case 4:
        return QStringLiteral("服务器上没有这个文件（404）");
    case 5:
        return QStringLiteral("下载速度太慢");
    case 6:
        return QStringLiteral("网络连接中断");
    case 8:
        return QStringLiteral("服务器不支持续传");
    case 9:
        return systemErrorText(ENOSPC);
    case 13:
        return QStringLiteral("文件已经存在");
    case 15:
    case 16:
    case 17:
        return QStringLiteral("无法写入文件");
    case 18:
        return QStringLiteral("无法创建文件夹");
    case 19:
        return QStringLiteral("找不到服务器");
    case 22:
        return QStringLiteral("服务器的回答无法识别");
    case 23:
        return QStringLiteral("重定向次数过多");
    case 24:
        return QStringLiteral("服务器要求登录");
    case 29:
        return QStringLiteral("服务器忙");
    default:
        return message.isEmpty() ? QStringLiteral("下载出错") : QStringLiteral("下载出错：") + message;
    }
}

QString systemErrorText(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("磁盘空间不足");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("文件夹不可写");
    case EISDIR:
        return QStringLiteral("文件名已被文件夹占用");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("文件夹不存在");
    default:
        return QStringLiteral("无法保存文件（错误 %1）").arg(error);
    }
}

} // namespace dm
