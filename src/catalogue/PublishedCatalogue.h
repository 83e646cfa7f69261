#pragma once

// The demo site's own catalogue: the items it publishes, apart from any
// user's catalogue. It lives in SITEHOME/site/published.db, has the
// catalogue's layout, and starts as a copy of the classes, columns and items
// of SITEHOME/Data/info.db (without the user's marks), or with the demo's
// classes and columns when the home has no catalogue.

#include "update/Feed.h"

#include <QString>

namespace store {
class Connection;
}

namespace catalogue {

QString publishedPath(const QString &siteHome);

// Makes the published catalogue when it is missing, in a temporary file
// renamed when complete. Throws DatabaseError or std::runtime_error.
void ensurePublished(const QString &siteHome);

// Publishes `count` new items, now, in the existing columns and in new
// ones (one for every twenty items); returns the first new item's
// identifier. Throws DatabaseError or std::runtime_error.
int publishItems(const QString &siteHome, int count);

// One page of the feed: up to `limit` items (one at the least) published from `from` on,
// oldest first, with their columns and classes; their addresses under
// `site`. Throws DatabaseError.
update::FeedPage readFeedPage(store::Connection &published, const update::FeedCursor &from, int limit,
                              const QString &site);

} // namespace catalogue
