#pragma once

#include <QList>
#include <QString>

namespace store {

// One piece of a statement: a word, a number, a quoted text (with its
// quotes and doubled quotes), a run of blanks or a symbol.
struct Token
{
    enum Kind { Word, Number, Text, Space, Symbol } kind;
    QString text;
};

QList<Token> tokenize(const QString &sql);

// Whether `t` is the word `word`, without regard to case.
bool is(const Token &t, QLatin1StringView word);

// Index of the next token from `from` that is not a blank, or tokens.size().
qsizetype nextSolid(const QList<Token> &tokens, qsizetype from);

// The statement put back together from its tokens.
QString joined(const QList<Token> &tokens);

} // namespace store
