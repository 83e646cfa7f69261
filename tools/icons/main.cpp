// flashbar-icons: writes the program's icon in the desktop's icon theme
// sizes, OUT/hicolor/<N>x<N>/apps/NAME.png. Run while building.
#include "ui/art/Artwork.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        err << "usage: flashbar-icons OUTDIR NAME\n";
        return 2;
    }
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(args.at(1)).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(dir, args.at(2));
        if (!QDir().mkpath(dir) || !art::programIcon(size).save(file, "PNG")) {
            err << "flashbar-icons: cannot write " << file << '\n';
            return 1;
        }
    }
    return 0;
}
