#include "search/NameIndex.h"

#include "store/DatabaseError.h"

#include <QByteArray>
#include <QByteArrayView>

#include <sqlite3.h>

#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <limits>
#include <memory>

namespace search {
namespace {

constexpr char16_t kSeparator = u'\0';
constexpr qint64 kNoClass = std::numeric_limits<qint64>::min();

char16_t fold(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

// One prepared statement, finalised when it goes out of scope.
class Statement final
{
public:
    Statement(sqlite3 *db, const char *sql) : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            fail(sql);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    void bind(int index, qint64 value) { sqlite3_bind_int64(m_statement, index, value); }
    // True while there is a row.
    bool step()
    {
        const int rc = sqlite3_step(m_statement);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            fail(sqlite3_sql(m_statement));
        return false;
    }
    void reset()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    bool isNull(int column) const { return sqlite3_column_type(m_statement, column) == SQLITE_NULL; }
    QByteArrayView utf8(int column) const
    {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        return text ? QByteArrayView(text, sqlite3_column_bytes(m_statement, column)) : QByteArrayView();
    }

private:
    [[noreturn]] void fail(const char *sql)
    {
        throw DatabaseError(
            QStringLiteral("数据库错误：%1\n%2").arg(QString::fromUtf8(sqlite3_errmsg(m_db)), QString::fromUtf8(sql)),
            sqlite3_errcode(m_db));
    }

    sqlite3 *m_db;
    sqlite3_stmt *m_statement = nullptr;
};

void execute(sqlite3 *db, const char *sql)
{
    Statement s(db, sql);
    while (s.step()) {
    }
}

qint64 lastLoggedChange(sqlite3 *db)
{
    Statement s(db, "SELECT coalesce(max(Seq), 0) FROM tb_SearchChanges");
    return s.step() ? s.integer(0) : 0;
}

// Decodes UTF-8 into `out` (room for as many units as there are bytes);
// returns the number of UTF-16 units written. Bad bytes become U+FFFD.
qsizetype decodeUtf8(QByteArrayView in, char16_t *out)
{
    const auto *p = reinterpret_cast<const unsigned char *>(in.data());
    const unsigned char *end = p + in.size();
    char16_t *o = out;
    while (p < end) {
        const unsigned c = *p;
        if (c < 0x80) {
            *o++ = char16_t(c);
            ++p;
            continue;
        }
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
        if (extra < 0 || end - p <= extra) {
            *o++ = u'\uFFFD';
            ++p;
            continue;
        }
        char32_t code = c & (0x3F >> extra);
        bool ok = true;
        for (int i = 1; i <= extra; ++i) {
            ok = ok && (p[i] & 0xC0) == 0x80;
            code = (code << 6) | (p[i] & 0x3F);
        }
        if (!ok) {
            *o++ = u'\uFFFD';
            ++p;
            continue;
        }
        p += extra + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            *o++ = char16_t(0xD800 + (code >> 10));
            *o++ = char16_t(0xDC00 + (code & 0x3FF));
        } else {
            *o++ = char16_t(code);
        }
    }
    return o - out;
}

// Calls `hit` with the place of every occurrence of `c` in `text` from
// `from` on; `hit` answers where to go on looking.
template <typename Hit> void forEachOccurrence(const std::u16string &text, char16_t c, size_t from, Hit hit)
{
    const size_t size = text.size();
    const char16_t *const data = text.data();
    const __m128i wanted = _mm_set1_epi16(short(c));
    while (from < size) {
        size_t block = from & ~size_t(15);
        if (block + 16 > size) {
            // The tail, one by one.
            while (from < size && data[from] != c)
                ++from;
            if (from < size)
                from = hit(from);
            continue;
        }
        const __m128i low = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(data + block)), wanted);
        const __m128i high =
            _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(data + block + 8)), wanted);
        auto mask = unsigned(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
        mask &= ~0u << (from - block);
        if (mask == 0) {
            from = block + 16;
            continue;
        }
        from = hit(block + size_t(std::countr_zero(mask)));
    }
}

// The slot of `id` among the distinct ids seen so far, a new one for an id
// not seen yet.
qint32 slotOf(std::vector<qint64> &ids, qint64 id)
{
    const auto found = std::find(ids.begin(), ids.end(), id);
    if (found != ids.end())
        return qint32(found - ids.begin());
    ids.push_back(id);
    return qint32(ids.size() - 1);
}

} // namespace

std::u16string foldKeyword(QStringView keyword)
{
    std::u16string out(keyword.size(), kSeparator);
    for (qsizetype i = 0; i < keyword.size(); ++i)
        out[size_t(i)] = fold(keyword.at(i).unicode());
    return out;
}

void NameIndex::append(qint64 fileId, const char16_t *name, qsizetype length, qint64 columnId, qint64 classId)
{
    // Consecutive items mostly share their column: look the slot up only on a change.
    const bool previous = !m_items.empty() && m_items.back().column != kGone;
    qint32 column = 0;
    if (previous && m_columnIds[size_t(m_items.back().column)] == columnId)
        column = m_items.back().column;
    else
        column = slotOf(m_columnIds, columnId);
    qint32 cls = 0;
    if (previous && m_classIds[size_t(m_items.back().classId)] == classId)
        cls = m_items.back().classId;
    else
        cls = slotOf(m_classIds, classId);
    appendSlots(fileId, name, length, column, cls);
}

void NameIndex::appendSlots(qint64 fileId, const char16_t *name, qsizetype length, qint32 column, qint32 cls)
{
    const quint32 start = writeName(name, length);
    m_items.push_back({fileId, start, quint32(length), column, cls});
}

quint32 NameIndex::writeName(const char16_t *name, qsizetype length)
{
    const auto start = quint32(m_text.size());
    m_text.resize(m_text.size() + size_t(length) + 1);
    char16_t *out = m_text.data() + start;
    quint32 *frequency = m_frequency.data();
    for (qsizetype i = 0; i < length; ++i) {
        // A separator inside a name would split it; it cannot be typed.
        const char16_t c = name[i] == kSeparator ? u'\uFFFD' : fold(name[i]);
        out[i] = c;
        ++frequency[c];
    }
    out[length] = kSeparator;
    return start;
}

void NameIndex::load(const QString &databasePath, const Progress &progress)
{
    // The connection is the reading thread's alone: no locking on each call.
    sqlite3 *db = nullptr;
    const QByteArray path = databasePath.toUtf8();
    const int rc = sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
        sqlite3_close(db);
        throw DatabaseError(QStringLiteral("无法打开数据库文件 %1：%2").arg(databasePath, message), rc);
    }
    sqlite3_busy_timeout(db, 5000);
    try {
        load(db, progress);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
}

void NameIndex::load(sqlite3 *db, const Progress &progress)
{
    NameIndex fresh;
    fresh.m_frequency.assign(0x10000, 0);
    // One read transaction: the names and the log position belong together.
    execute(db, "BEGIN");
    try {
        fresh.m_lastSeq = lastLoggedChange(db);
        qint64 first = 0;
        qint64 last = 0;
        {
            Statement range(db, "SELECT coalesce(min(FileID), 0), coalesce(max(FileID), 0) FROM tb_Files");
            if (range.step()) {
                first = range.integer(0);
                last = range.integer(1);
            }
        }
        fresh.readNames(db, first, last, progress);
        execute(db, "COMMIT");
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    *this = std::move(fresh);
    if (progress)
        progress(100);
}

void NameIndex::putInItemOrder(qint64 first, size_t span)
{
    const size_t n = m_items.size();
    // Where each item goes: by its place in the range of item numbers when
    // they are dense enough, else by sorting.
    std::vector<quint32> order(n);
    if (n > 0 && span <= n * 4) {
        std::vector<qint32> slot(span, -1);
        for (size_t i = 0; i < n; ++i)
            slot[size_t(m_items[i].fileId - first)] = qint32(i);
        size_t placed = 0;
        for (qint32 i : slot) {
            if (i >= 0)
                order[placed++] = quint32(i);
        }
    } else {
        for (size_t i = 0; i < n; ++i)
            order[i] = quint32(i);
        std::sort(order.begin(), order.end(),
                  [this](quint32 a, quint32 b) { return m_items[a].fileId < m_items[b].fileId; });
    }
    // Place i takes the item at order[i]: moved in place, a cycle at a time.
    std::vector<bool> done(n, false);
    for (size_t i = 0; i < n; ++i) {
        if (done[i])
            continue;
        const Item held = m_items[i];
        size_t to = i;
        for (;;) {
            done[to] = true;
            const size_t from = order[to];
            if (from == i) {
                m_items[to] = held;
                break;
            }
            m_items[to] = m_items[from];
            to = from;
        }
    }
}

void NameIndex::readNames(sqlite3 *db, qint64 first, qint64 last, const Progress &progress)
{
    // The names come from their index, a sixth of the item rows' size, in
    // the order of the names; a catalogue without it (a bulk load drops it)
    // is read from the rows. Either way the items are gathered first, then
    // put in item order with their names written afresh in that order.
    std::unique_ptr<Statement> rows;
    try {
        rows = std::make_unique<Statement>(db, "SELECT FileID, DisplayName, ColumeID, ClassID FROM tb_Files"
                                               " INDEXED BY ix_Files_Name WHERE Deleted = 0");
    } catch (const DatabaseError &) {
        rows = std::make_unique<Statement>(db, "SELECT FileID, DisplayName, ColumeID, ClassID FROM tb_Files"
                                               " WHERE Deleted = 0");
    }
    const auto span = size_t(std::clamp<qint64>(last - first + 1, 0, 50'000'000));
    // Room for the items and their names (about ten characters each).
    m_items.reserve(std::min<size_t>(span, 4'000'000));
    std::u16string gathered(std::min<size_t>(span, 4'000'000) * 10, kSeparator);
    size_t used = 0;
    qint32 column = -1;
    qint32 cls = -1;
    int reported = -1;
    while (rows->step()) {
        // Decoded here from SQLite's own UTF-8: much quicker than asking it for UTF-16.
        const QByteArrayView utf8 = rows->utf8(1);
        if (used + size_t(utf8.size()) > gathered.size())
            gathered.resize(std::max(gathered.size() + gathered.size() / 4, used + size_t(utf8.size())));
        const qsizetype length = decodeUtf8(utf8, gathered.data() + used);
        const qint64 columnId = rows->integer(2);
        const qint64 classId = rows->isNull(3) ? kNoClass : rows->integer(3);
        if (column < 0 || m_columnIds[size_t(column)] != columnId)
            column = slotOf(m_columnIds, columnId);
        if (cls < 0 || m_classIds[size_t(cls)] != classId)
            cls = slotOf(m_classIds, classId);
        m_items.push_back({rows->integer(0), quint32(used), quint32(length), column, cls});
        used += size_t(length);
        if (progress && (m_items.size() & 0x3fff) == 0 && span > 0) {
            const int percent = int(std::min<size_t>(99, m_items.size() * 100 / span));
            if (percent != reported)
                progress(reported = percent);
        }
    }
    const size_t n = m_items.size();
    putInItemOrder(first, span);
    m_text.reserve(used + n);
    for (Item &item : m_items)
        item.start = writeName(gathered.data() + item.start, item.length);
}

void NameIndex::refresh(sqlite3 *db)
{
    std::vector<qint64> changed;
    qint64 seq = m_lastSeq;
    {
        Statement log(db, "SELECT Seq, FileID FROM tb_SearchChanges WHERE Seq > ? ORDER BY Seq");
        log.bind(1, m_lastSeq);
        while (log.step()) {
            seq = log.integer(0);
            changed.push_back(log.integer(1));
        }
    }
    if (changed.empty())
        return;
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    // Many changes at once (a bulk update): reading everything is quicker.
    if (changed.size() > std::max<size_t>(20000, m_items.size() / 8)) {
        load(db);
        return;
    }
    std::vector<Row> rows;
    rows.reserve(changed.size());
    Statement read(db, "SELECT DisplayName, ColumeID, ClassID, Deleted FROM tb_Files WHERE FileID = ?");
    for (qint64 fileId : changed) {
        read.reset();
        read.bind(1, fileId);
        Row row{fileId, {}, 0, kNoClass, false};
        if (read.step() && read.integer(3) == 0) {
            // Decoded as load() decodes, so that a name with bad bytes reads the same either way.
            const QByteArrayView utf8 = read.utf8(0);
            std::u16string name(size_t(utf8.size()), kSeparator);
            name.resize(size_t(decodeUtf8(utf8, name.data())));
            row.name = foldKeyword(QStringView(name.data(), qsizetype(name.size())));
            std::replace(row.name.begin(), row.name.end(), kSeparator, u'\uFFFD');
            row.columnId = read.integer(1);
            row.classId = read.isNull(2) ? kNoClass : read.integer(2);
            row.present = true;
        }
        rows.push_back(std::move(row));
    }
    apply(std::move(rows));
    m_lastSeq = seq;
}

void NameIndex::apply(std::vector<Row> rows)
{
    for (Row &row : rows) {
        const auto side = std::lower_bound(m_side.begin(), m_side.end(), row.fileId,
                                           [](const Side &s, qint64 id) { return s.fileId < id; });
        if (side != m_side.end() && side->fileId == row.fileId) {
            if (!row.present) {
                m_side.erase(side);
                continue;
            }
            side->name = std::move(row.name);
            side->column = slotOf(m_columnIds, row.columnId);
            side->classId = slotOf(m_classIds, row.classId);
            continue;
        }
        const auto it = std::lower_bound(m_items.begin(), m_items.end(), row.fileId,
                                         [](const Item &item, qint64 id) { return item.fileId < id; });
        if (it != m_items.end() && it->fileId == row.fileId && it->column != kGone) {
            for (quint32 i = 0; i < it->length; ++i) {
                --m_frequency[m_text[it->start + i]];
                m_text[it->start + i] = kSeparator;
            }
            // A name that fits its place is written there.
            if (row.present && row.name.size() <= it->length) {
                std::copy(row.name.begin(), row.name.end(), m_text.begin() + it->start);
                for (char16_t c : row.name)
                    ++m_frequency[c];
                it->length = quint32(row.name.size());
                it->column = slotOf(m_columnIds, row.columnId);
                it->classId = slotOf(m_classIds, row.classId);
                continue;
            }
            it->column = kGone;
            ++m_gone;
        }
        if (!row.present)
            continue;
        if (m_items.empty() || row.fileId > m_items.back().fileId) {
            append(row.fileId, row.name.data(), qsizetype(row.name.size()), row.columnId, row.classId);
            continue;
        }
        // A longer name, or an item among the others: kept aside.
        m_side.insert(side, Side{row.fileId, std::move(row.name), slotOf(m_columnIds, row.columnId),
                                 slotOf(m_classIds, row.classId)});
    }
    if (m_side.size() + m_gone > std::max<size_t>(4096, m_items.size() / 64))
        compact();
}

void NameIndex::compact()
{
    NameIndex merged;
    merged.m_frequency.assign(0x10000, 0);
    merged.m_text.reserve(m_text.size() + m_side.size() * 16);
    merged.m_items.reserve(m_items.size() - m_gone + m_side.size());
    merged.m_columnIds = m_columnIds;
    merged.m_classIds = m_classIds;
    merged.m_lastSeq = m_lastSeq;
    auto side = m_side.begin();
    const auto takeSide = [&](qint64 before) {
        for (; side != m_side.end() && side->fileId < before; ++side)
            merged.appendSlots(side->fileId, side->name.data(), qsizetype(side->name.size()), side->column,
                               side->classId);
    };
    for (const Item &item : m_items) {
        if (item.column == kGone)
            continue;
        takeSide(item.fileId);
        merged.appendSlots(item.fileId, m_text.data() + item.start, item.length, item.column, item.classId);
    }
    takeSide(std::numeric_limits<qint64>::max());
    *this = std::move(merged);
}

std::vector<char> NameIndex::passing(const std::vector<qint64> &ids, const std::vector<qint64> &known) const
{
    std::vector<char> pass(known.size(), 0);
    for (size_t i = 0; i < known.size(); ++i)
        pass[i] = std::find(ids.begin(), ids.end(), known[i]) != ids.end() ? 1 : 0;
    return pass;
}

std::vector<qint64> NameIndex::find(QStringView keyword, const Narrowing &narrowing) const
{
    const std::vector<char> columns = passing(narrowing.columnIds, m_columnIds);
    const std::vector<char> classes = passing(narrowing.classIds, m_classIds);
    const auto passes = [&](const Item &item) {
        return (!narrowing.byColumn || columns[size_t(item.column)]) &&
               (!narrowing.byClass || classes[size_t(item.classId)]);
    };
    const std::u16string key = foldKeyword(keyword);
    if (key.find(kSeparator) != std::u16string::npos)
        return {};
    std::vector<qint64> out = findInText(key, passes);
    // The names kept aside, merged in by item number.
    const size_t inText = out.size();
    for (const Side &side : m_side) {
        if ((!narrowing.byColumn || columns[size_t(side.column)]) &&
            (!narrowing.byClass || classes[size_t(side.classId)]) && side.name.find(key) != std::u16string::npos)
            out.push_back(side.fileId);
    }
    if (out.size() > inText)
        std::inplace_merge(out.begin(), out.begin() + qsizetype(inText), out.end());
    return out;
}

template <typename Passes>
std::vector<qint64> NameIndex::findInText(const std::u16string &key, const Passes &passes) const
{
    std::vector<qint64> out;
    if (key.empty()) {
        out.reserve(m_items.size());
        for (const Item &item : m_items) {
            if (item.column != kGone && passes(item))
                out.push_back(item.fileId);
        }
        return out;
    }
    if (m_frequency.empty())
        return out;
    // The keyword's rarest character decides how to look.
    size_t pivot = 0;
    for (size_t i = 1; i < key.size(); ++i) {
        if (m_frequency[key[i]] < m_frequency[key[pivot]])
            pivot = i;
    }
    const quint32 occurrences = m_frequency[key[pivot]];
    if (occurrences == 0)
        return out;
    // Every occurrence of that character in the whole text, sixteen
    // characters at a time; the rest of the keyword is compared around it.
    const char16_t c = key[pivot];
    const size_t size = key.size();
    const size_t n = m_items.size();
    const char16_t *const text = m_text.data();
    size_t index = 0;
    forEachOccurrence(m_text, c, pivot, [&](size_t at) -> size_t {
        while (index < n && m_items[index].start + m_items[index].length <= at)
            ++index;
        if (index == n)
            return m_text.size();
        const Item &item = m_items[index];
        const size_t end = size_t(item.start) + item.length;
        if (at < item.start)
            return item.start + pivot;
        if (!passes(item)) {
            ++index;
            return end + 1 + pivot;
        }
        const size_t begin = at - pivot;
        if (begin >= item.start && begin + size <= end &&
            std::char_traits<char16_t>::compare(text + begin, key.data(), size) == 0) {
            out.push_back(item.fileId);
            ++index;
            return end + 1 + pivot;
        }
        return at + 1;
    });
    return out;
}

qsizetype NameIndex::size() const
{
    return qsizetype(m_items.size() - m_gone + m_side.size());
}

qsizetype NameIndex::memoryBytes() const
{
    qsizetype side = qsizetype(m_side.capacity() * sizeof(Side));
    for (const Side &s : m_side)
        side += qsizetype(s.name.capacity() * sizeof(char16_t));
    return side + qsizetype(m_text.capacity() * sizeof(char16_t) + m_items.capacity() * sizeof(Item) +
                            m_frequency.capacity() * sizeof(quint32) +
                            (m_columnIds.capacity() + m_classIds.capacity()) * sizeof(qint64));
}

} // namespace search
