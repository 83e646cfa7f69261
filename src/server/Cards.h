#pragma once

// Greeting cards: the form the site takes, the preview's address, the check
// of the four inputs and the record of a sent card.

#include "server/FormEncoding.h"

#include <QDateTime>
#include <QString>

#include <optional>

class TDM_CDS;

namespace server {

// A card as the dialog holds it; texts as typed, the message with its lines
// joined by CR LF.
struct Card
{
    int fileId = 0;
    QString itemName;
    QString toMail;
    QString toName;
    QString body;
    QString fromName;
};

// The inputs that must not be blank, in the order they are checked.
enum class CardField { ToMail, ToName, Body, FromName };

// The first input that is empty once its blanks are trimmed, or nothing.
std::optional<CardField> firstBlankField(const Card &card);
// What the user is told about a blank input.
QString blankFieldMessage(CardField field);

// The five fields in the order the site reads them.
FormPairs cardForm(const Card &card);

// The preview page of a card on the site: the form as a query string.
QString cardPreviewAddress(const QString &site, const Card &card);

// Lines of a message joined by CR LF, whatever ended them before.
QString withCrLf(const QString &text);

// Appends the sent card to tb_SendCards. Throws DatabaseError.
void recordSentCard(TDM_CDS &dm, const Card &card, const QDateTime &sent);

} // namespace server
