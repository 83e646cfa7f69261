// Helper process for the durability tests: opens the catalogue and says
// "ready", marks items viewed one by one through the data module (with
// "mixed", even items downloaded instead), reporting each committed mark on
// stdout, then waits to be killed.
#include "store/DataModule.h"
#include "store/DatabaseError.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: store_mark_writer DB FIRST_ID COUNT [mixed]\n");
        return 2;
    }
    const int first = QString::fromLocal8Bit(argv[2]).toInt();
    const int count = QString::fromLocal8Bit(argv[3]).toInt();
    const bool mixed = argc == 5 && QByteArray(argv[4]) == "mixed";
    try {
        TDM_CDS dm(QString::fromLocal8Bit(argv[1]));
        dm.ac_info.database();
        std::printf("ready\n");
        std::fflush(stdout);
        for (int id = first; id < first + count; ++id) {
            dm.cds_FilesInfo.open();
            // An item that is not in the catalogue is not reported as marked.
            if (!dm.cds_FilesInfo.locate(QStringLiteral("FileID"), {id})) {
                dm.cds_FilesInfo.close();
                continue;
            }
            if (mixed && id % 2 == 0) {
                dm.cds_FilesInfo.edit();
                dm.cds_FilesInfo.setFieldValue(u"HasDownloaded", true);
                dm.cds_FilesInfo.post();
            } else if (dm.cds_FilesInfo.locate(QStringLiteral("FileID;HasViewed"), {id, false})) {
                dm.cds_FilesInfo.edit();
                dm.cds_FilesInfo.setFieldValue(u"HasViewed", true);
                dm.cds_FilesInfo.post();
            }
            dm.cds_FilesInfo.close();
            std::printf("marked %d\n", id);
            std::fflush(stdout);
        }
        std::printf("done\n");
        std::fflush(stdout);
    } catch (const DatabaseError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    for (;;)
        QThread::sleep(1);
}
