#pragma once

#include <QString>

#include <cstdint>

namespace catalogue {

struct DemoOptions
{
    int items = 2000;
    std::uint64_t seed = 1;
    QString site = QStringLiteral("http://127.0.0.1:8731/"); // demo web site, ends in '/'
    bool replace = false; // overwrite an existing catalogue
};

// Writes DIR/Data/info.db: classes, columns, items, recommendations and
// advertisements in plausible Chinese; the same options give the same file.
// Throws DatabaseError or std::runtime_error.
void writeDemoCatalogue(const QString &home, const DemoOptions &options);

// Counts of a catalogue's tables, one "name: count" line each.
QString catalogueInfo(const QString &home);

// Path of the catalogue file under a home directory.
QString cataloguePath(const QString &home);

} // namespace catalogue
