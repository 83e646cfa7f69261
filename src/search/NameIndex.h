#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct sqlite3;

namespace search {

// Which columns and classes a search keeps; an empty choice keeps all.
struct Narrowing
{
    bool byColumn = false;
    std::vector<qint64> columnIds; // tb_Colume.ColumeID values that pass
    bool byClass = false;
    std::vector<qint64> classIds; // tb_Class.ClassID values that pass
};

// The display names of every item that is not deleted, held in memory as one
// run of text, so that a search for any part of a name is one pass over it.
// Names are kept with ASCII letters in lower case: a keyword matches as
// SQLite's LIKE does, without regard to the case of ASCII letters.
//
// The catalogue logs every item whose name, column, class or presence changes
// (tb_SearchChanges, filled by triggers, whichever process writes); refresh()
// applies what was logged since the index was read, so that a search never
// shows an item that is gone nor misses one that was added.
class NameIndex final
{
public:
    using Progress = std::function<void(int percent)>;

    // Reads every item from the catalogue file on a connection of its own
    // (it may run on another thread). Throws DatabaseError.
    void load(const QString &databasePath, const Progress &progress = {});
    // The same from an open connection.
    void load(sqlite3 *db, const Progress &progress = {});

    // Applies the changes logged since the last load or refresh, reading them
    // through `db`. Throws DatabaseError.
    void refresh(sqlite3 *db);

    // Item numbers, ascending, of the items whose name holds `keyword` (every
    // item for an empty keyword) and that pass `narrowing`.
    std::vector<qint64> find(QStringView keyword, const Narrowing &narrowing) const;

    qsizetype size() const;
    // Bytes of memory the index holds.
    qsizetype memoryBytes() const;
    // The last change of the log that the index has taken in.
    qint64 lastChange() const { return m_lastSeq; }

private:
    struct Item
    {
        qint64 fileId;
        quint32 start;  // first character in m_text
        quint32 length; // characters of the name
        qint32 column;  // index in m_columnIds; kGone when the item is left out
        qint32 classId; // index in m_classIds
    };
    static constexpr qint32 kGone = -1;
    // An item whose name no longer fits its place in the text, or that was
    // added among the others.
    struct Side
    {
        qint64 fileId;
        std::u16string name; // folded
        qint32 column;
        qint32 classId;
    };
    struct Row
    {
        qint64 fileId;
        std::u16string name; // folded
        qint64 columnId;
        qint64 classId;
        bool present;
    };

    void append(qint64 fileId, const char16_t *name, qsizetype length, qint64 columnId, qint64 classId);
    void appendSlots(qint64 fileId, const char16_t *name, qsizetype length, qint32 column, qint32 cls);
    // Writes a name, folded, at the end of the text; answers where it starts.
    quint32 writeName(const char16_t *name, qsizetype length);
    void readNames(sqlite3 *db, qint64 first, qint64 last, const Progress &progress);
    // Sorts the items by item number; `span` is the range of the numbers from `first`.
    void putInItemOrder(qint64 first, size_t span);
    void apply(std::vector<Row> rows);
    // Writes the text afresh in item order, the names kept aside merged in.
    void compact();
    template <typename Passes> std::vector<qint64> findInText(const std::u16string &key, const Passes &passes) const;
    std::vector<char> passing(const std::vector<qint64> &ids, const std::vector<qint64> &known) const;

    std::u16string m_text;            // every name, each followed by a separator
    std::vector<Item> m_items;        // by item number and by place in m_text
    std::vector<qint64> m_columnIds;  // distinct ColumeID values seen, by slot
    std::vector<qint64> m_classIds;   // distinct ClassID values seen, by slot
    std::vector<quint32> m_frequency; // of each UTF-16 unit in m_text
    std::vector<Side> m_side;         // by item number
    size_t m_gone = 0;                // items of m_items left out
    qint64 m_lastSeq = 0;
};

// A keyword as the index compares it: ASCII letters in lower case.
std::u16string foldKeyword(QStringView keyword);

} // namespace search
