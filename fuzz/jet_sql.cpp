// The Jet statement translator and its tokenizer. Tokens put together give
// the statement back; translation is deterministic and never changes, drops
// or invents a quoted text; a quoted value stays one text token wherever it
// goes into a statement.
#include "FuzzCheck.h"

#include "store/JetSql.h"
#include "store/SqlTokens.h"

#include <QSet>

namespace {

QSet<QString> textsOf(const QList<store::Token> &tokens)
{
    QSet<QString> texts;
    for (const store::Token &t : tokens) {
        if (t.kind == store::Token::Text)
            texts.insert(t.text);
    }
    return texts;
}

void checkTokens(const QString &sql, const QList<store::Token> &tokens)
{
    FUZZ_CHECK(store::joined(tokens) == sql);
    for (const store::Token &t : tokens) {
        FUZZ_CHECK(!t.text.isEmpty());
        if (t.kind == store::Token::Text)
            FUZZ_CHECK(t.text.startsWith(u'\''));
    }
}

// A text token that runs to the end without its closing quote.
bool endsInOpenText(const QList<store::Token> &tokens)
{
    if (tokens.isEmpty() || tokens.back().kind != store::Token::Text)
        return false;
    const QString &t = tokens.back().text;
    if (t.size() < 2 || !t.endsWith(u'\''))
        return true;
    // Inside, quotes come only doubled.
    return t.sliced(1, t.size() - 2).remove(QStringLiteral("''")).contains(u'\'');
}

void checkTranslation(const QString &sql, store::Purpose purpose)
{
    const QString out = store::translateJet(sql, purpose);
    FUZZ_CHECK(store::translateJet(sql, purpose) == out);
    const QList<store::Token> in = store::tokenize(sql);
    if (!endsInOpenText(in))
        FUZZ_CHECK(textsOf(store::tokenize(out)) == textsOf(in));
}

// `value` quoted inside the statements the program builds around values.
void checkQuotedValue(const QString &value)
{
    const QString literal = store::quoted(value);
    const QList<store::Token> tokens = store::tokenize(literal);
    FUZZ_CHECK(tokens.size() == 1 && tokens.front().kind == store::Token::Text && tokens.front().text == literal);
    const QString statements[] = {
        QStringLiteral("select top 10 * from qry_FilesLast where FileName like %1"),
        QStringLiteral("select count(*) from qry_files where ColumeName = %1 and HasDownloaded = true"),
        QStringLiteral("select columename from qry_files_set where FileName = %1 group by columename"),
        QStringLiteral("delete * from tb_Files where FileName = %1"),
    };
    for (const QString &statement : statements) {
        const QString out = store::translateJet(statement.arg(literal));
        FUZZ_CHECK(textsOf(store::tokenize(out)) == QSet<QString>{literal});
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString sql = fuzz::textOf(data, size);
    checkTokens(sql, store::tokenize(sql));
    checkTranslation(sql, store::Purpose::Rows);
    checkTranslation(sql, store::Purpose::Counting);
    const QString source = store::sourceOf(sql);
    FUZZ_CHECK(store::sourceOf(sql) == source);
    FUZZ_CHECK(source.isEmpty() || sql.contains(source));
    checkQuotedValue(sql);
    return 0;
}
