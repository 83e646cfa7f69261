#pragma once

#include "store/Connection.h"
#include "store/DataSet.h"

#include <QString>

// The data module: the one connection to the catalogue and the shared
// data-set components through which every window reaches the database.
class TDM_CDS final
{
public:
    static QString defaultPath() { return QStringLiteral("Data/info.db"); }

    explicit TDM_CDS(const QString &databasePath = defaultPath());
    TDM_CDS(const TDM_CDS &) = delete;
    TDM_CDS &operator=(const TDM_CDS &) = delete;

    store::Connection ac_info;
    store::DataSet cds_FilesInfo;  // tb_Files: one item's marks
    store::DataSet cds_ColumeInfo; // tb_Colume: subscriptions
    store::DataSet at_Adver;       // tb_Adver: footer advertisements
    store::DataSet aq_all;         // every free statement
    store::DataSet aq_all2;        // a second statement while aq_all is busy
};
