// The feed page reader: any answer is either refused with a FeedError or
// read into a page within the format's bounds, every item's column and every
// column's class on the page, which the site's writer gives back unchanged.
#include "FuzzCheck.h"

#include "update/Feed.h"

#include <QSet>

namespace {

bool withinBounds(const update::FeedPage &page)
{
    QSet<int> classes;
    for (const update::FeedClass &c : page.classes) {
        if (c.id <= 0 || c.name.isEmpty() || c.name.size() > update::kMaxNameChars)
            return false;
        classes.insert(c.id);
    }
    QSet<int> columns;
    for (const update::FeedColumn &c : page.columns) {
        if (c.id <= 0 || !classes.contains(c.classId) || c.name.isEmpty() || c.name.size() > update::kMaxNameChars ||
            c.description.size() > update::kMaxTextChars)
            return false;
        columns.insert(c.id);
    }
    for (const update::FeedItem &i : page.items) {
        if (i.id <= 0 || !columns.contains(i.columnId) || i.name.isEmpty() || i.file.isEmpty() || i.hits < 0 ||
            i.name.size() > update::kMaxNameChars || i.file.size() > update::kMaxNameChars ||
            i.url.size() > update::kMaxNameChars || i.description.size() > update::kMaxTextChars ||
            !update::isUploadTime(i.uploaded) || !QStringView(i.name).isValidUtf16())
            return false;
    }
    return page.items.size() <= update::kMaxPageItems && (!page.next || !page.items.isEmpty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    update::FeedPage page;
    try {
        page = update::parseFeedPage(fuzz::bytesOf(data, size));
    } catch (const update::FeedError &e) {
        FUZZ_CHECK(!e.text().isEmpty());
        return 0;
    }
    FUZZ_CHECK(withinBounds(page));
    FUZZ_CHECK(update::parseFeedPage(update::feedJson(page)) == page);
    return 0;
}
