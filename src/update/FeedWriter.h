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

// The upload time of the catalogue's newest item; empty when it has none.
QString newestUpload(store::Connection &connection);

} // namespace update
