#include "store/DataModule.h"

using store::DataSet;

TDM_CDS::TDM_CDS(const QString &databasePath)
    : ac_info(databasePath),
      cds_FilesInfo(ac_info, QStringLiteral("cds_FilesInfo"), DataSet::Kind::Table, QStringLiteral("tb_Files")),
      cds_ColumeInfo(ac_info, QStringLiteral("cds_ColumeInfo"), DataSet::Kind::Table, QStringLiteral("tb_Colume")),
      at_Adver(ac_info, QStringLiteral("at_Adver"), DataSet::Kind::Table, QStringLiteral("tb_Adver")),
      aq_all(ac_info, QStringLiteral("aq_all"), DataSet::Kind::Query),
      aq_all2(ac_info, QStringLiteral("aq_all2"), DataSet::Kind::Query)
{
}
