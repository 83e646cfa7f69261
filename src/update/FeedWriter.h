#pragma once

#include "update/Feed.h"

namespace store {
class Connection;
}

namespace update {

// Writes one feed page into a catalogue in one transaction: the classes and
// columns it does not have yet, and the items it does not have yet (by
// identifier), unviewed and not downloaded. What the catalogue already holds
// is left as it is, the user's marks and subscriptions included. Returns the
// number of items added. Throws DatabaseError, the page then written not at
// all.
int writeFeedPage(store::Connection &connection, const FeedPage &page);

// Gives the connection a page cache of 64 MiB: the new items' entries land
// all over the indexes of a large catalogue, and with SQLite's default
// cache of 2 MiB a page of them reads and writes each index page many
// times (10,000 items into a million: 2.9 s instead of 1.2 s).
void useWriterCache(store::Connection &connection);

// The upload time of the catalogue's newest item; empty when it has none.
QString newestUpload(store::Connection &connection);

} // namespace update
