#include "store/JetSql.h"

#include "store/Schema.h"
#include "store/SqlTokens.h"

#include <QList>
#include <QRegularExpression>

namespace store {
namespace {

QString storedQueryName(const QString &word)
{
    for (const char *name : kStoredQueries) {
        if (word.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return QLatin1String(name);
    }
    return {};
}

// "select columename from <stored query> [where W] group by columename" asks
// which columns have items matching W. Asked column by column, each answer
// stops at the first matching item, where grouping would read every item.
QString columnsWithItems(const QString &sql)
{
    static const QRegularExpression shape(
        QStringLiteral("^\\s*select\\s+(columename)\\s+from\\s+(qry_\\w+_set)(\\s+where\\s+(.*?))?\\s+"
                       "group\\s+by\\s+columename$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = shape.match(sql);
    if (!m.hasMatch())
        return {};
    const QString condition = m.captured(4).trimmed();
    return QStringLiteral("SELECT c.ColumeName AS %1 FROM tb_Colume AS c WHERE EXISTS (SELECT 1 FROM %2 AS s WHERE "
                          "%3s.ColumeID = c.ColumeID) GROUP BY c.ColumeName ORDER BY c.ColumeName COLLATE PINYIN")
        .arg(m.captured(1), m.captured(2),
             condition.isEmpty() ? QString() : QStringLiteral("(%1) AND ").arg(condition));
}

// "select top N * from qry_FilesLast [where W]" asks for the newest N items
// under W. They are among the newest N of each column, which the column's
// index gives at once; so the newest come out quickly whichever columns
// W leaves, where reading all items newest first would pass every item of
// the columns it leaves out. `tokens` are the translated statement's, its
// "top N" taken out; the answer is empty for any other statement.
QString newestPerColumn(const QList<Token> &tokens, const QString &limit)
{
    qsizetype i = nextSolid(tokens, 0);
    const auto take = [&](auto matches) {
        if (i >= tokens.size() || !matches(tokens.at(i)))
            return false;
        i = nextSolid(tokens, i + 1);
        return true;
    };
    const bool shape = take([](const Token &t) { return is(t, QLatin1StringView("select")); }) &&
                       take([](const Token &t) { return t.text == QLatin1String("*"); }) &&
                       take([](const Token &t) { return is(t, QLatin1StringView("from")); }) &&
                       take([](const Token &t) {
                           return t.kind == Token::Word && storedQueryName(t.text) == QLatin1String("qry_FilesLast");
                       });
    if (!shape)
        return {};
    QString condition;
    if (i < tokens.size()) {
        if (!take([](const Token &t) { return is(t, QLatin1StringView("where")); }))
            return {};
        for (qsizetype k = i; k < tokens.size(); ++k)
            condition += tokens.at(k).text;
        condition = condition.trimmed();
        if (condition.isEmpty())
            return {};
    }
    const QString inner = condition.isEmpty() ? QString() : QStringLiteral("(%1) AND ").arg(condition);
    const QString outer = condition.isEmpty() ? QString() : QStringLiteral(" AND (%1)").arg(condition);
    // The order is qry_FilesLast's own.
    return QStringLiteral("SELECT * FROM qry_FilesLast WHERE FileID IN (SELECT t.FileID FROM tb_Colume AS k"
                          " JOIN tb_Files AS t ON t.FileID IN (SELECT s.FileID FROM %1 AS s WHERE %2"
                          "s.ColumeID = k.ColumeID ORDER BY s.UploadDate DESC, s.FileID DESC LIMIT %3))%4 LIMIT %3")
        .arg(setViewName(QStringLiteral("qry_FilesLast")), inner, limit, outer);
}

bool isOrderedStoredQuery(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String("qry_files");
}

} // namespace

QString quoted(const QString &value)
{
    QString out = value;
    out.replace(u'\'', QStringLiteral("''"));
    return u'\'' + out + u'\'';
}

QString translateJet(const QString &jetSql, Purpose purpose)
{
    QList<Token> tokens = tokenize(jetSql);
    QString limit;
    QString groupKey;
    bool hasGroupBy = false;
    bool hasOrderBy = false;
    bool bySubscription = false;

    for (qsizetype i = 0; i < tokens.size(); ++i) {
        Token &t = tokens[i];
        if (t.kind != Token::Word)
            continue;
        if (is(t, QLatin1StringView("select"))) {
            // select top N ... -> select ... LIMIT N
            const qsizetype k = nextSolid(tokens, i + 1);
            if (k < tokens.size() && is(tokens.at(k), QLatin1StringView("top"))) {
                const qsizetype m = nextSolid(tokens, k + 1);
                if (m < tokens.size() && tokens.at(m).kind == Token::Number) {
                    limit = tokens.at(m).text;
                    tokens.remove(k, nextSolid(tokens, m + 1) - k);
                }
            }
        } else if (is(t, QLatin1StringView("delete"))) {
            // delete * from -> delete from
            const qsizetype k = nextSolid(tokens, i + 1);
            if (k < tokens.size() && tokens.at(k).text == QLatin1String("*"))
                tokens.remove(k, nextSolid(tokens, k + 1) - k);
        } else if (is(t, QLatin1StringView("len"))) {
            const qsizetype k = nextSolid(tokens, i + 1);
            if (k < tokens.size() && tokens.at(k).text == QLatin1String("("))
                t.text = QStringLiteral("length");
        } else if (is(t, QLatin1StringView("true"))) {
            t = {Token::Number, QStringLiteral("1")};
        } else if (is(t, QLatin1StringView("false"))) {
            t = {Token::Number, QStringLiteral("0")};
        } else if (is(t, QLatin1StringView("group"))) {
            const qsizetype k = nextSolid(tokens, i + 1);
            const qsizetype m = nextSolid(tokens, k + 1);
            if (k < tokens.size() && is(tokens.at(k), QLatin1StringView("by")) && m < tokens.size() &&
                tokens.at(m).kind == Token::Word) {
                hasGroupBy = true;
                groupKey = tokens.at(m).text;
            }
        } else if (is(t, QLatin1StringView("order"))) {
            hasOrderBy = true;
        } else if (is(t, QLatin1StringView("subscribed"))) {
            bySubscription = true;
        }
    }

    QString out;
    out.reserve(jetSql.size() + 64);
    for (const Token &t : tokens) {
        if (t.kind == Token::Word) {
            const QString stored = storedQueryName(t.text);
            // The unordered item list of subscribed columns reads its twin
            // too, column by column: a class's list is then the items of
            // its subscribed columns, each column's from its own index.
            const bool useSet =
                !stored.isEmpty() && (hasGroupBy || (purpose == Purpose::Counting && isOrderedStoredQuery(stored)) ||
                                      (bySubscription && !isOrderedStoredQuery(stored)));
            out += useSet ? setViewName(stored) : t.text;
        } else {
            out += t.text;
        }
    }
    while (!out.isEmpty() && out.back().isSpace())
        out.chop(1);
    if (hasGroupBy && !hasOrderBy && limit.isEmpty()) {
        const QString columns = columnsWithItems(out);
        if (!columns.isEmpty())
            return columns;
    }
    if (!limit.isEmpty() && !hasGroupBy && !hasOrderBy && purpose != Purpose::Counting) {
        const QString newest = newestPerColumn(tokens, limit);
        if (!newest.isEmpty())
            return newest;
    }
    if (hasGroupBy && !hasOrderBy)
        out += QStringLiteral(" ORDER BY %1 COLLATE PINYIN").arg(groupKey);
    if (!limit.isEmpty())
        out += QStringLiteral(" LIMIT ") + limit;
    return out;
}

QString sourceOf(const QString &sql)
{
    const QList<Token> tokens = tokenize(sql);
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (!is(tokens.at(i), QLatin1StringView("from")))
            continue;
        const qsizetype k = nextSolid(tokens, i + 1);
        if (k < tokens.size() && tokens.at(k).kind == Token::Word)
            return tokens.at(k).text;
    }
    return {};
}

} // namespace store
