#pragma once

#include <QString>

namespace store {
class Connection;
}

namespace update {

struct UpdateOptions
{
    QString site;          // the site's base address, ending in '/'
    int timeoutMs = 15000; // for each page, from asking to the last byte
    int pageItems = 500;   // items asked for in one page
    int busyRetries = 3;   // times a page is tried again on a catalogue kept busy
};

struct UpdateResult
{
    int added = 0;
    int pages = 0;
    QString error; // empty when every page came and was written
};

// Asks the site's feed for every item newer than the catalogue's newest one,
// page by page, and writes each page in one transaction (FeedWriter.h). It
// stops at the first page that does not come in time, is refused or cannot
// be written; the pages written before it stay. Needs an application object.
UpdateResult fetchNewItems(store::Connection &catalogue, const UpdateOptions &options);

// The address of one feed page.
QString feedAddress(const QString &site, const QString &since, int after, int limit);

// Appends a line, with the time, to the companion's log in the user's data
// directory (flashbar/flashbar-update.log); the log's path.
QString logPath();
void appendLog(const QString &line);

// The site's base address: `fromCommandLine` when given, else FLASHBAR_SITE,
// else the address in the program's settings file, else the default. Ends
// in '/'; empty when the one given is not an http or https address. A bad
// address in the file is logged and the default used, as the program does.
QString siteAddress(const QString &fromCommandLine);

} // namespace update
