#pragma once

#include <QString>

#include <cstdint>

namespace catalogue {

struct DemoOptions
{
    int items = 2000;
    std::uint64_t seed = 1;
    QString site = QStringLiteral("http://127.0.0.1:8731/"); // demo web site, ends in '/'
    bool replace = false;                                    // overwrite an existing catalogue
};

// Writes a demo home: DIR/Data/info.db with classes, columns, items,
// recommendations and advertisements in plausible Chinese, and the frame
// skin in DIR/001/. The same options give the same files.
// Throws DatabaseError or std::runtime_error.
void writeDemoCatalogue(const QString &home, const DemoOptions &options);

// Counts of a catalogue's tables, one "name: count" line each.
QString catalogueInfo(const QString &home);

// Path of the catalogue file under a home directory.
QString cataloguePath(const QString &home);

} // namespace catalogue
