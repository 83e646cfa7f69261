#include "server/Cards.h"

#include "store/DataModule.h"

namespace server {

namespace {

const QString &fieldText(const Card &card, CardField field)
{
    switch (field) {
    case CardField::ToMail:
        return card.toMail;
    case CardField::ToName:
        return card.toName;
    case CardField::Body:
        return card.body;
    case CardField::FromName:
        break;
    }
    return card.fromName;
}

} // namespace

std::optional<CardField> firstBlankField(const Card &card)
{
    for (const CardField field : {CardField::ToMail, CardField::ToName, CardField::Body, CardField::FromName}) {
        if (fieldText(card, field).trimmed().isEmpty())
            return field;
    }
    return std::nullopt;
}

QString blankFieldMessage(CardField field)
{
    switch (field) {
    case CardField::ToMail:
        return QStringLiteral("对方Email不能为空，请重新填写。");
    case CardField::ToName:
        return QStringLiteral("对方称呼不能为空，请重新填写。");
    case CardField::Body:
        return QStringLiteral("留言不能为空，请重新填写。");
    case CardField::FromName:
        break;
    }
    return QStringLiteral("签名不能为空，请重新填写。");
}

FormPairs cardForm(const Card &card)
{
    return {{QStringLiteral("FileID"), QString::number(card.fileId)},
            {QStringLiteral("ToMail"), card.toMail},
            {QStringLiteral("ToName"), card.toName},
            {QStringLiteral("ToBody"), card.body},
            {QStringLiteral("FromName"), card.fromName}};
}

QString cardPreviewAddress(const QString &site, const Card &card)
{
    // The encoded form is plain ASCII.
    return site + QStringLiteral("Cards/PreviewCard.asp?") + QString::fromLatin1(buildFormBody(cardForm(card)));
}

QString withCrLf(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    return lines.replace(u'\n', QStringLiteral("\r\n"));
}

void recordSentCard(TDM_CDS &dm, const Card &card, const QDateTime &sent)
{
    store::DataSet &q = dm.aq_all;
    q.close();
    q.setSql(QStringLiteral("select Top 1 * from tb_SendCards"));
    try {
        q.open();
        q.append();
        q.setFieldValue(u"ToName", card.toName);
        q.setFieldValue(u"Filename", card.itemName);
        q.setFieldValue(u"ToMail", card.toMail);
        q.setFieldValue(u"FromName", card.fromName);
        q.setFieldValue(u"Tobody", card.body);
        // Milliseconds, so that two cards sent within a second still differ.
        q.setFieldValue(u"SendDate", sent.toString(Qt::ISODateWithMs));
        q.setFieldValue(u"SendFlag", true);
        q.post();
    } catch (...) {
        q.close();
        throw;
    }
    q.close();
}

} // namespace server
