// Prints the folders the program's own files are found in, one a line:
// installed data, player, help, demo site. Run from a prefix of its own by
// the paths test.
#include "common/Paths.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    for (const QString &found :
         {common::installedDataDir(), common::ruffleDir(), common::helpDir(), common::siteProgram()})
        std::printf("%s\n", found.toUtf8().constData());
    return 0;
}
