#pragma once

#include <QString>
#include <QUrl>

// What may be done with an address that is to be opened. Addresses come
// from the catalogue (items, recommendations, advertisements), which
// another program writes, so only web pages and mail open, and local files
// only when they are local copies under <program dir>/local/.
struct OpenAddress
{
    enum Kind { Web, Mail, LocalFile, Refused };
    Kind kind = Refused;
    QUrl url;       // what to open; empty when refused
    QString reason; // the status text of a refused address

    bool refused() const { return kind == Refused; }
};

// Checks `address`: http and https addresses (a bare host name counts as
// http), mailto addresses, and, when `programDir` is given, local paths or
// file addresses inside its local/ folder. Anything else is refused with the
// reason.
OpenAddress CheckOpenAddress(const QString &address, const QString &programDir = {});
