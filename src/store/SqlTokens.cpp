#include "store/SqlTokens.h"

namespace store {
namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

} // namespace

QList<Token> tokenize(const QString &sql)
{
    QList<Token> tokens;
    qsizetype i = 0;
    const qsizetype n = sql.size();
    while (i < n) {
        const QChar c = sql.at(i);
        qsizetype j = i + 1;
        Token::Kind kind = Token::Symbol;
        if (c == u'\'') {
            kind = Token::Text;
            while (j < n) {
                if (sql.at(j) == u'\'') {
                    if (j + 1 < n && sql.at(j + 1) == u'\'') {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                ++j;
            }
        } else if (c.isSpace()) {
            kind = Token::Space;
            while (j < n && sql.at(j).isSpace())
                ++j;
        } else if (c.isDigit()) {
            kind = Token::Number;
            while (j < n && isWordChar(sql.at(j)))
                ++j;
        } else if (isWordChar(c)) {
            kind = Token::Word;
            while (j < n && isWordChar(sql.at(j)))
                ++j;
        }
        tokens.append({kind, sql.mid(i, j - i)});
        i = j;
    }
    return tokens;
}

bool is(const Token &t, QLatin1StringView word)
{
    return t.kind == Token::Word && t.text.compare(word, Qt::CaseInsensitive) == 0;
}

qsizetype nextSolid(const QList<Token> &tokens, qsizetype from)
{
    while (from < tokens.size() && tokens.at(from).kind == Token::Space)
        ++from;
    return from;
}

QString joined(const QList<Token> &tokens)
{
    QString out;
    for (const Token &t : tokens)
        out += t.text;
    return out;
}

} // namespace store
