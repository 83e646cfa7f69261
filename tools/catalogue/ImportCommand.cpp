#include "ImportCommand.h"

#include "import/ImportProcess.h"

#include <QCoreApplication>
#include <QTextStream>

#include <unistd.h>

int runImportCommand(const QString &file, const QString &home, bool replace)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    const bool terminal = ::isatty(STDOUT_FILENO) != 0;
    import::ImportProcess process({QCoreApplication::applicationFilePath(),
                                   { QStringLiteral("import-worker") }},
                                  file, home, replace);
    // On a terminal one line counts up for each table; elsewhere each table
    // gets its line when it is done.
    import::CopyProgress last;
    const auto lineOf = [](const import::CopyProgress &p) {
        return QStringLiteral("table %1/%2 %3: %4 rows")
            .arg(p.table)
            .arg(p.tables)
            .arg(import::printableName(p.name))
            .arg(p.tableRows);
    };
    QObject::connect(&process, &import::ImportProcess::progressed, [&](const import::CopyProgress &p) {
        const bool next = last.table != 0 && p.table != last.table;
        if (terminal)
            out << (next ? "\n" : "\r") << lineOf(p);
        else if (next)
            out << lineOf(last) << '\n';
        out.flush();
        last = p;
    });
    process.start();
    process.waitForEnd();
    if (last.table != 0)
        out << (terminal ? QString() : lineOf(last)) << '\n';
    out.flush();
    if (!process.ok()) {
        err << "flashbar-catalogue: " << process.message() << '\n';
        return 1;
    }
    out << "imported " << process.summary().tables << " tables, " << process.summary().rows << " rows from " << file
        << " into " << home << "/Data/info.db\n";
    const QStringList leftOut = process.summary().leftOut;
    if (!leftOut.isEmpty())
        out << "left out " << leftOut.size()
            << " columns the catalogue does not know: " << import::leftOutLine(leftOut, QStringLiteral(", ")) << '\n';
    return 0;
}
