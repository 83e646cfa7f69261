#include "BrowserFixture.h"

#include "Files.h"
#include "PlayerColour.h"

#include "catalogue/DemoCatalogue.h"
#include "samples/SampleSwf.h"
#include "store/Connection.h"

#include <QDir>
#include <QSet>
#include <QSqlQuery>

Site::Site()
{
    catalogue::DemoOptions options;
    options.items = 60;
    catalogue::writeDemoCatalogue(home.path(), options);
    site = std::make_unique<DemoSite>(home.path(), QStringLiteral(RUFFLE_DIR));
    if (!site->listen())
        ADD_FAILURE() << site->errorString().toStdString();
}

QString Site::itemName(int id)
{
    store::Connection c(catalogue::cataloguePath(home.path()));
    QSqlQuery q(c.database());
    q.exec(QStringLiteral("SELECT DisplayName FROM tb_Files WHERE FileID = %1").arg(id));
    return q.next() ? q.value(0).toString() : QString();
}

QString Site::siteFilePath(int id)
{
    store::Connection c(catalogue::cataloguePath(home.path()));
    QSqlQuery q(c.database());
    q.exec(QStringLiteral("SELECT ColumeName, Filename FROM qry_files WHERE FileID = %1").arg(id));
    return q.next()
               ? QDir(home.path())
                     .filePath(QStringLiteral("site/files/%1/%2").arg(q.value(0).toString(), q.value(1).toString()))
               : QString();
}

Site &site()
{
    static Site *s = new Site;
    return *s;
}

Movies::Movies(int count)
{
    QSet<QRgb> colours;
    for (int id = 5000; paths.size() < count; ++id) {
        const QByteArray swf = samples::sampleSwf(id);
        const QColor colour = backgroundOf(swf);
        if (colours.contains(colour.rgb()) || colour == Qt::black || colour == Qt::white)
            continue;
        colours.insert(colour.rgb());
        const QString path = QDir(home.path()).filePath(QStringLiteral("local/动画/%1.swf").arg(id));
        writeFile(path, swf);
        paths << path;
        backgrounds << colour;
    }
}

int pointsOf(TFrm_Browser &w, const QColor &colour)
{
    return pointsShowing(w.WebBrowser1->grab().toImage(), colour);
}

bool showsWithoutEarlier(TFrm_Browser &w, const QColor &colour, const QList<QColor> &earlier)
{
    bool sawEarlier = false;
    const bool shown = waitFor(
        [&] {
            for (const QColor &e : earlier)
                sawEarlier = sawEarlier || pointsOf(w, e) > 200;
            return pointsOf(w, colour) > 200;
        },
        30000);
    if (!shown || sawEarlier)
        ADD_FAILURE() << (shown ? "an earlier movie showed first" : "the movie never showed");
    return shown && !sawEarlier;
}
