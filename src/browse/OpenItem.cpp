#include "browse/OpenItem.h"

#include "common/LocalCopy.h"
#include "store/DataModule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace browse {

QString itemAddress(const ItemRow &row, const QString &programDir, const QString &site)
{
    if (row.hasLocalCopy()) {
        if (const std::optional<QString> path = LocalCopyPath(programDir, row.columnName, row.fileName))
            return *path;
    }
    return site + QStringLiteral("flash/openflash.asp?fileid=") + row.fileId;
}

namespace {

// Sets a yes/no field of the item row that `keyFields` = `values` finds.
bool setItemFlag(TDM_CDS &dm, const QString &keyFields, const QVariantList &values, QStringView field)
{
    store::DataSet &files = dm.cds_FilesInfo;
    files.close();
    files.setFiltered(false);
    files.open();
    const bool found = files.locate(keyFields, values);
    if (found) {
        files.edit();
        files.setFieldValue(field, true);
        files.post();
    }
    files.close();
    return found;
}

} // namespace

bool markViewed(TDM_CDS &dm, int fileId)
{
    // An item already viewed is not found, so it is not written again.
    return setItemFlag(dm, QStringLiteral("FileID;HasViewed"), {fileId, false}, u"HasViewed");
}

bool markDownloaded(TDM_CDS &dm, int fileId)
{
    return setItemFlag(dm, QStringLiteral("FileID"), {fileId}, u"HasDownloaded");
}

bool markDeleted(TDM_CDS &dm, int fileId)
{
    return setItemFlag(dm, QStringLiteral("FileID"), {fileId}, u"Deleted");
}

namespace {

// Copies `source` over `target` without ever leaving `target` half written:
// the copy goes to a new file beside it, which then takes its place.
bool replaceWithCopy(const QString &source, const QString &target)
{
    const QFileInfo sourceInfo(source);
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && sourceInfo.canonicalFilePath() == targetInfo.canonicalFilePath())
        return true; // already there
    const QString temporary = target + QStringLiteral(".part");
    QFile::remove(temporary);
    if (!QFile::copy(source, temporary))
        return false;
    if (QFile::exists(target) && !QFile::remove(target)) {
        QFile::remove(temporary);
        return false;
    }
    if (!QFile::rename(temporary, target)) {
        QFile::remove(temporary);
        return false;
    }
    return true;
}

SaveResult saveCopy(TDM_CDS &dm, const QString &programDir, const QString &fileIdText,
                    const std::function<QString(const QString &)> &chooseTarget)
{
    bool numeric = false;
    const int fileId = fileIdText.trimmed().toInt(&numeric);
    if (!numeric)
        return NoSuchItem;
    dm.aq_all.close();
    dm.aq_all.setSql(QStringLiteral("select * from qry_files where FileID=") + QString::number(fileId));
    dm.aq_all.open();
    if (dm.aq_all.eof())
        return NoSuchItem;
    const QString fileName = dm.aq_all.fieldByName(u"Filename").asString();
    const std::optional<QString> source =
        ExistingLocalCopy(programDir, dm.aq_all.fieldByName(u"ColumeName").asString(), fileName);
    if (!source)
        return NoLocalCopy;
    const QString target = chooseTarget(fileName);
    if (target.isEmpty())
        return SaveCancelled;
    return replaceWithCopy(*source, target) ? Saved : CopyFailed;
}

} // namespace

SaveResult SaveLocalCopyAs(TDM_CDS &dm, const QString &programDir, const QString &fileIdText,
                           const std::function<QString(const QString &)> &chooseTarget)
{
    SaveResult result = NoSuchItem;
    try {
        result = saveCopy(dm, programDir, fileIdText, chooseTarget);
    } catch (...) {
        QDir::setCurrent(programDir);
        dm.aq_all.close();
        throw;
    }
    QDir::setCurrent(programDir);
    dm.aq_all.close();
    return result;
}

QString saveResultText(SaveResult result)
{
    switch (result) {
    case Saved:
        return QStringLiteral("保存成功！");
    case CopyFailed:
        return QStringLiteral("保存失败！");
    case NoLocalCopy:
        return QStringLiteral("没找到本地文件，请先将该条目下载到本地！");
    case NoSuchItem:
        return QStringLiteral("内部错误，不能另存该条目！");
    case SaveCancelled:
        return {};
    }
    return {};
}

bool saveResultIsError(SaveResult result)
{
    return result == CopyFailed || result == NoSuchItem;
}

} // namespace browse
