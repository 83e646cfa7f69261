#pragma once

#include "browse/ItemRow.h"

#include <QString>

#include <functional>

class TDM_CDS;

namespace browse {

// The address an item opens at: its local copy when the list found one,
// else the site's playing page.
QString itemAddress(const ItemRow &row, const QString &programDir, const QString &site);

// Marks an item viewed unless it already is; true when a row was written.
bool markViewed(TDM_CDS &dm, int fileId);
// Marks an item downloaded; true when the item exists.
bool markDownloaded(TDM_CDS &dm, int fileId);
// Marks an item deleted; true when the item exists.
bool markDeleted(TDM_CDS &dm, int fileId);

// Outcomes of saving a local copy elsewhere.
enum SaveResult { Saved = 0, CopyFailed = 1, NoLocalCopy = 2, NoSuchItem = 3, SaveCancelled = 4 };

// Asks where to save (the chooser gets the file name to suggest and answers
// the chosen path, empty for cancel) and copies the item's local copy
// there, replacing a file of that name. The current directory is
// `programDir` again afterwards.
SaveResult SaveLocalCopyAs(TDM_CDS &dm, const QString &programDir, const QString &fileIdText,
                           const std::function<QString(const QString &suggestedName)> &chooseTarget);

// The message of a save result; empty for a cancel.
QString saveResultText(SaveResult result);
bool saveResultIsError(SaveResult result);

} // namespace browse
