#pragma once

// The site's feed of newly published items: one page of it, its JSON form
// and the strict reading of an answer that came over the network.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <stdexcept>

namespace update {

inline constexpr char kFeedFormat[] = "flashbar-feed/1";
// Bounds of one page: its bytes, its items, each text.
inline constexpr qsizetype kMaxPageBytes = 8 * 1024 * 1024;
inline constexpr int kMaxPageItems = 1000;
inline constexpr qsizetype kMaxNameChars = 1024;
inline constexpr qsizetype kMaxTextChars = 64 * 1024;

struct FeedClass
{
    int id = 0;
    QString name;

    bool operator==(const FeedClass &) const = default;
};

struct FeedColumn
{
    int id = 0;
    int classId = 0;
    QString name;
    QString description;

    bool operator==(const FeedColumn &) const = default;
};

struct FeedItem
{
    int id = 0;
    int columnId = 0;
    QString name;
    QString file;
    QString url;
    QString description;
    QString owner;
    QString uploaded; // "yyyy-MM-dd hh:mm:ss"
    int hits = 0;

    bool operator==(const FeedItem &) const = default;
};

// Where the next page starts: items uploaded after `since`, or at `since`
// with a greater identifier than `after`.
struct FeedCursor
{
    QString since;
    int after = 0;

    bool operator==(const FeedCursor &) const = default;
    bool before(const FeedCursor &other) const
    {
        return since < other.since || (since == other.since && after < other.after);
    }
};

struct FeedPage
{
    QList<FeedClass> classes;  // the classes of this page's columns
    QList<FeedColumn> columns; // the columns of this page's items
    QList<FeedItem> items;     // oldest first
    std::optional<FeedCursor> next;

    bool operator==(const FeedPage &) const = default;
};

// A feed answer that cannot be taken; its text says what is wrong.
class FeedError final : public std::runtime_error
{
public:
    explicit FeedError(const QString &text) : std::runtime_error(text.toStdString()), m_text(text) {}
    QString text() const { return m_text; }

private:
    QString m_text;
};

// Whether `text` is an upload time as the catalogue writes it.
bool isUploadTime(const QString &text);

// The page as the site sends it.
QByteArray feedJson(const FeedPage &page);

// Reads an answer; throws FeedError when it is too large, not JSON, not of
// this format, or any field is missing, of the wrong type, out of range,
// too long or not valid Unicode, when an item's column or a column's class is not on the page,
// or when the next page would not start after this one's last item.
FeedPage parseFeedPage(const QByteArray &bytes);

} // namespace update
