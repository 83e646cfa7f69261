#include "store/ColumnWalk.h"

#include "store/SqlTokens.h"
#include "store/Statements.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>

#include <algorithm>

namespace store {
namespace {

// Fields of qry_files_set that an item has and its column does not.
bool isItemField(const Token &t)
{
    static const char *const fields[] = {"FileID", "DisplayName", "Filename",  "URL",          "FileDesc",
                                         "Owner",  "UploadDate",  "HasViewed", "HasDownloaded"};
    return std::any_of(std::begin(fields), std::end(fields),
                       [&t](const char *field) { return is(t, QLatin1StringView(field)); });
}

// Words that may stand outside parentheses in a condition on the columns;
// anything else (or, between, case, order, limit...) could tie a condition
// on the marks to the others, and the statement is read the plain way.
bool isPlainConditionWord(const Token &t)
{
    static const char *const words[] = {"and",      "not",        "is",           "null",       "like",
                                        "in",       "Subscribed", "ClassID",      "ColumeName", "classname",
                                        "ColumeID", "HasViewed",  "HasDownloaded"};
    return std::any_of(std::begin(words), std::end(words),
                       [&t](const char *word) { return is(t, QLatin1StringView(word)); });
}

struct Shape
{
    QString columnCondition; // empty: every column
    QString markCondition;   // " AND HasViewed = 1" and the like, or empty
    QString counter;         // the tb_ColumeCounts field that counts the rows
};

// Takes "<mark> = 0|1", joined to the rest by "and", out of the condition
// when it is there: `solid` indexes its tokens that are not blanks, and the
// tokens taken out are blanked. Returns false when a mark is compared in
// another way, or both are.
bool takeMarkCondition(QList<Token> &tokens, QList<qsizetype> &solid, Shape &shape)
{
    const auto at = [&](qsizetype i) -> const Token & { return tokens.at(solid.at(i)); };
    for (qsizetype i = 0; i < solid.size(); ++i) {
        const bool viewed = is(at(i), QLatin1StringView("HasViewed"));
        if (!viewed && !is(at(i), QLatin1StringView("HasDownloaded")))
            continue;
        const bool joinedBefore = i == 0 || is(at(i - 1), QLatin1StringView("and"));
        const bool joinedAfter =
            i + 3 == solid.size() || (i + 3 < solid.size() && is(at(i + 3), QLatin1StringView("and")));
        if (i + 2 >= solid.size() || at(i + 1).text != QLatin1String("=") ||
            (at(i + 2).text != QLatin1String("0") && at(i + 2).text != QLatin1String("1")) || !joinedBefore ||
            !joinedAfter || !shape.markCondition.isEmpty())
            return false;
        const bool set = at(i + 2).text == QLatin1String("1");
        shape.markCondition =
            QStringLiteral(" AND %1 = %2").arg(viewed ? u"HasViewed" : u"HasDownloaded", set ? u"1" : u"0");
        shape.counter = viewed ? (set ? QStringLiteral("Viewed") : QStringLiteral("Unviewed"))
                               : (set ? QStringLiteral("Downloaded") : QStringLiteral("Undownloaded"));
        // The term goes with the "and" that joins it.
        const qsizetype from = i > 0 ? i - 1 : i;
        const qsizetype to = i > 0 ? i + 3 : std::min<qsizetype>(i + 4, solid.size());
        for (qsizetype k = from; k < to; ++k)
            tokens[solid.at(k)] = {Token::Space, QStringLiteral(" ")};
        solid.remove(from, to - from);
        i = from - 1;
    }
    return true;
}

std::optional<Shape> shapeOf(const QString &sql)
{
    static const QRegularExpression head(QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+qry_files_set\\s+where\\s"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = head.match(sql);
    if (!m.hasMatch())
        return std::nullopt;
    QList<Token> tokens = tokenize(sql.mid(m.capturedEnd()));
    QList<qsizetype> solid;
    int depth = 0;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const Token &t = tokens.at(i);
        if (t.kind == Token::Space)
            continue;
        if (t.text == QLatin1String("("))
            ++depth;
        else if (t.text == QLatin1String(")"))
            --depth;
        else if (depth == 0 && t.kind == Token::Word && !isPlainConditionWord(t))
            return std::nullopt;
        if (depth < 0 || t.text == QLatin1String(";"))
            return std::nullopt;
        solid.append(i);
    }
    Shape shape;
    shape.counter = QStringLiteral("Items");
    if (depth != 0 || !takeMarkCondition(tokens, solid, shape))
        return std::nullopt;
    if (std::any_of(tokens.cbegin(), tokens.cend(), isItemField))
        return std::nullopt;
    shape.columnCondition = joined(tokens).trimmed();
    return shape;
}

// The columns as qry_files_set names them.
const QString kColumns =
    QStringLiteral("SELECT c.ColumeID AS ColumeID, c.ColumeName AS ColumeName, c.ColumeParent AS ClassID,"
                   " k.classname AS classname, c.Subscribed AS Subscribed"
                   " FROM tb_Colume c LEFT JOIN tb_Class k ON k.ClassID = c.ColumeParent");

using Rows = std::vector<std::pair<qint64, QString>>;

Rows readRows(QSqlDatabase &db, const QString &sql, const QVariantList &binds)
{
    QSqlQuery q = runStatement(db, sql, binds);
    Rows rows;
    while (q.next())
        rows.emplace_back(q.value(0).toLongLong(), q.value(1).toString());
    if (q.lastError().isValid())
        throw statementError(q, sql);
    return rows;
}

} // namespace

std::optional<ColumnWalk> ColumnWalk::plan(QSqlDatabase &db, const QString &translatedSql)
{
    const std::optional<Shape> shape = shapeOf(translatedSql);
    if (!shape)
        return std::nullopt;
    const QString where =
        shape->columnCondition.isEmpty() ? QString() : QStringLiteral(" WHERE (%1)").arg(shape->columnCondition);
    const QString sql = QStringLiteral("SELECT c.ColumeID, n.%1 FROM (SELECT * FROM (%2)%3) AS c"
                                       " JOIN tb_ColumeCounts n ON n.ColumeID = c.ColumeID"
                                       " WHERE n.%1 > 0 ORDER BY c.ColumeID")
                            .arg(shape->counter, kColumns, where);
    QSqlQuery q = runStatement(db, sql, {});
    ColumnWalk walk;
    walk.m_markCondition = shape->markCondition;
    while (q.next()) {
        Column column;
        column.id = q.value(0).toLongLong();
        column.start = walk.m_size;
        column.count = q.value(1).toLongLong();
        walk.m_size += column.count;
        walk.m_columns.push_back(column);
    }
    if (q.lastError().isValid())
        throw statementError(q, sql);
    return walk;
}

ColumnWalk::Batch ColumnWalk::read(QSqlDatabase &db, qsizetype from, qsizetype n)
{
    Batch batch;
    if (from < 0 || from >= m_size || n <= 0)
        return batch;
    auto column = std::upper_bound(m_columns.begin(), m_columns.end(), from,
                                   [](qsizetype place, const Column &c) { return place < c.start; });
    Column &c = *std::prev(column);
    const qsizetype offset = from - c.start;
    batch.places = std::min(n, c.count - offset);

    const QString rows =
        QStringLiteral("SELECT FileID, UploadDate FROM tb_Files WHERE ColumeID = ? AND Deleted = 0") + m_markCondition;
    const QString newestFirst = QStringLiteral(" ORDER BY UploadDate DESC, FileID DESC LIMIT ?");
    Rows found;
    const bool goesOn = offset > 0 && c.readTo == offset;
    if (goesOn) {
        // On from the last row read: rows before it that changed meanwhile
        // move nothing.
        found =
            readRows(db, rows + QStringLiteral(" AND UploadDate <= ? AND (UploadDate < ? OR FileID < ?)") + newestFirst,
                     {c.id, c.lastDate, c.lastDate, c.lastId, batch.places});
    } else if (c.count - offset - batch.places < offset) {
        // Nearer the column's end: skipped from there, oldest first.
        found = readRows(db, rows + QStringLiteral(" ORDER BY UploadDate, FileID LIMIT ? OFFSET ?"),
                         {c.id, batch.places, c.count - offset - batch.places});
        std::reverse(found.begin(), found.end());
    } else {
        found = readRows(db, rows + newestFirst + QStringLiteral(" OFFSET ?"), {c.id, batch.places, offset});
    }
    // A read that went on and found nothing left the column's end behind:
    // later reads go on from the same row, so that rows removed meanwhile
    // do not bring back rows already read.
    c.readTo = found.empty() && !goesOn ? -1 : offset + batch.places;
    if (!found.empty()) {
        c.lastId = found.back().first;
        c.lastDate = found.back().second;
    }
    batch.keys.reserve(found.size());
    for (const auto &[id, date] : found)
        batch.keys.push_back(id);
    return batch;
}

} // namespace store
