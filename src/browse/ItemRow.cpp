#include "browse/ItemRow.h"

#include "common/Text.h"

namespace browse {

QString ItemRow::subItem(int position) const
{
    switch (position) {
    case 0:
        return columnName;
    case 1:
        return fileId;
    case 2:
        return url;
    case 3:
        return description;
    case 4:
        return owner;
    case 5:
        return uploadDate;
    case 6:
        return localLocation;
    case 7:
        return viewed;
    case 8:
        return localCopy;
    case 9:
        return fileName;
    default:
        return {};
    }
}

QString itemTip(const ItemRow &row)
{
    const QString br = QStringLiteral("\r\n");
    return br + QStringLiteral("*****更多功能，请点击鼠标右键*****") + br + br + QStringLiteral("[ID]：") +
           ShownText(row.fileId) + br + br + QStringLiteral("[说    明]：") +
           ShownText(row.description, kLongestShownText, LineEnds::Keep) + br + br + QStringLiteral("[作    者]：") +
           ShownText(row.owner) + br + QStringLiteral("[更新日期]：") + ShownText(row.uploadDate) + br;
}

} // namespace browse
