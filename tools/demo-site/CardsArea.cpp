// Greeting cards: the page the program posts a card to, the card's preview
// with the item playing, and a mailbox page that lists the cards the site
// received, newest first. The site sends no mail; it keeps each card in a
// file of its own (site/mailbox.db in the home directory).
#include "DemoSite.h"
#include "SiteAccounts.h"
#include "SiteArea.h"
#include "SiteCatalogue.h"
#include "SiteFile.h"
#include "SiteFrame.h"

#include "store/DataModule.h"
#include "store/DatabaseError.h"

#include <QDateTime>
#include <QDir>
#include <QHttpServerRequest>
#include <QSqlQuery>

#include <stdexcept>

namespace {

using namespace site;

constexpr int kMostListed = 200;

// A card as the program posts it, with who sent it and when.
struct ReceivedCard
{
    qint64 fileId = 0;
    QString toMail;
    QString toName;
    QString body;
    QString fromName;
    QString sender;
    QString received;
};

// The card in a form, or nothing when a field is missing or the item's
// number is not one.
std::optional<ReceivedCard> cardOf(const FormFields &form)
{
    ReceivedCard card;
    const std::pair<const char16_t *, QString *> texts[] = {
        {u"ToMail", &card.toMail}, {u"ToName", &card.toName}, {u"ToBody", &card.body}, {u"FromName", &card.fromName}};
    for (const auto &[name, text] : texts) {
        const std::optional<QString> value = form.value(QStringView(name));
        if (!value || value->trimmed().isEmpty())
            return std::nullopt;
        *text = *value;
    }
    bool number = false;
    card.fileId = form.value(u"FileID").value_or(QString()).toLongLong(&number);
    if (!number || card.fileId < 0)
        return std::nullopt;
    return card;
}

class CardsArea final : public SiteArea
{
public:
    explicit CardsArea(DemoSite &site)
        : m_site(site),
          m_mailbox(
              QDir(site.home()).filePath(QStringLiteral("site/mailbox.db")),
              {QStringLiteral("CREATE TABLE IF NOT EXISTS cards (id INTEGER PRIMARY KEY, file_id INTEGER NOT NULL,"
                              " to_mail TEXT NOT NULL, to_name TEXT NOT NULL, body TEXT NOT NULL,"
                              " from_name TEXT NOT NULL, sender TEXT NOT NULL, received TEXT NOT NULL)")})
    {
    }

    void addRoutes(SiteRoutes &routes) override
    {
        routes.form(QStringLiteral("/Cards/PostCards\\.asp"),
                    [this](const QHttpServerRequest &request) { return postCard(request); });
        routes.form(QStringLiteral("/Cards/PreviewCard\\.asp"),
                    [this](const QHttpServerRequest &request) { return previewCard(request); });
        routes.page(QStringLiteral("/Cards/Mailbox\\.asp"), [this](const QHttpServerRequest &) { return mailbox(); });
    }

    QString homeSection() override
    {
        return QStringLiteral("<p><a href=\"/Cards/Mailbox.asp\">贺卡信箱</a>：网站代寄的贺卡都在这里。</p>\n");
    }

private:
    QHttpServerResponse postCard(const QHttpServerRequest &request);
    QHttpServerResponse previewCard(const QHttpServerRequest &request);
    QHttpServerResponse mailbox();
    void keep(const ReceivedCard &card);
    QList<ReceivedCard> newestCards();
    // The item's name linked to its playing page, or a note for number 0.
    QString itemLink(qint64 fileId);
    QString cardHtml(const ReceivedCard &card);

    DemoSite &m_site;
    SiteFile m_mailbox;
};

QHttpServerResponse CardsArea::postCard(const QHttpServerRequest &request)
{
    const std::optional<QString> user = m_site.accounts().sessionUser(request);
    if (!user)
        return answerPage(3, QStringLiteral("发送贺卡"), QStringLiteral("请先登陆再发送贺卡。"));
    std::optional<ReceivedCard> card = cardOf(formFields(request));
    if (!card)
        return answerPage(1, QStringLiteral("发送贺卡"), QStringLiteral("贺卡的内容不全。"));
    card->sender = *user;
    card->received = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
    try {
        keep(*card);
    } catch (const std::exception &e) {
        return problemPage(QStringLiteral("贺卡服务暂时无法使用"),
                           QStringLiteral("网站收不下这张贺卡，请稍后再试。（%1）").arg(QString::fromUtf8(e.what())),
                           Status::ServiceUnavailable);
    }
    return answerPage(0, QStringLiteral("发送贺卡"),
                      QStringLiteral("贺卡已经寄给 %1（%2）。").arg(card->toName, card->toMail),
                      QStringLiteral("<p><a href=\"/Cards/Mailbox.asp\">看看贺卡信箱</a></p>\n"));
}

QHttpServerResponse CardsArea::previewCard(const QHttpServerRequest &request)
{
    const std::optional<ReceivedCard> card = cardOf(formFields(request));
    if (!card) {
        return problemPage(QStringLiteral("无法预览贺卡"), QStringLiteral("贺卡的内容不全，请把各项都填好。"),
                           Status::BadRequest);
    }
    std::optional<Item> item;
    try {
        item = findItem(m_site.catalogue().aq_all, card->fileId);
    } catch (const DatabaseError &e) {
        return unavailablePage(e.text());
    }
    const QString body = (item ? playerBox(filePath(*item)) : QString()) +
                         QStringLiteral("<main>\n<h1>贺卡预览</h1>\n%1</main>\n").arg(cardHtml(*card));
    return html(page(QStringLiteral("贺卡预览 - ") + card->toName, body,
                     item ? playerHead(QStringLiteral("55vh")) : QString()));
}

QHttpServerResponse CardsArea::mailbox()
{
    QList<ReceivedCard> cards;
    try {
        cards = newestCards();
    } catch (const std::exception &e) {
        return problemPage(QStringLiteral("贺卡信箱暂时无法使用"),
                           QStringLiteral("网站读不到贺卡。（%1）").arg(QString::fromUtf8(e.what())),
                           Status::ServiceUnavailable);
    }
    QString list;
    for (const ReceivedCard &card : std::as_const(cards)) {
        list += QStringLiteral("<li class=\"card\">\n<p class=\"meta\">%1 · 收件人 %2 · 由 %3 寄出</p>\n%4</li>\n")
                    .arg(escaped(card.received.left(19).replace(u'T', u' ')), escaped(card.toMail),
                         escaped(card.sender), cardHtml(card));
    }
    if (cards.isEmpty())
        list = QStringLiteral("<li>信箱里还没有贺卡。</li>\n");
    const QString body = QStringLiteral("<main>\n<h1>贺卡信箱</h1>\n<p>网站代寄的贺卡，最新的在前。</p>\n"
                                        "<ol id=\"cards\">\n%1</ol>\n</main>\n")
                             .arg(list);
    return html(page(QStringLiteral("贺卡信箱 - Flash吧"), body));
}

void CardsArea::keep(const ReceivedCard &card)
{
    QSqlQuery q(m_mailbox.database());
    q.prepare(QStringLiteral("INSERT INTO cards (file_id, to_mail, to_name, body, from_name, sender, received)"
                             " VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant &value :
         {QVariant(card.fileId), QVariant(card.toMail), QVariant(card.toName), QVariant(card.body),
          QVariant(card.fromName), QVariant(card.sender), QVariant(card.received)})
        q.addBindValue(value);
    runSiteQuery(q);
}

QList<ReceivedCard> CardsArea::newestCards()
{
    QSqlQuery q(m_mailbox.database());
    q.prepare(QStringLiteral("SELECT file_id, to_mail, to_name, body, from_name, sender, received FROM cards"
                             " ORDER BY id DESC LIMIT ?"));
    q.addBindValue(kMostListed);
    runSiteQuery(q);
    QList<ReceivedCard> out;
    while (q.next()) {
        out << ReceivedCard{q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                            q.value(3).toString(),   q.value(4).toString(), q.value(5).toString(),
                            q.value(6).toString()};
    }
    return out;
}

QString CardsArea::itemLink(qint64 fileId)
{
    std::optional<Item> item;
    try {
        item = findItem(m_site.catalogue().aq_all, fileId);
    } catch (const DatabaseError &) {
        // The card still shows; only its item's name is missing.
    }
    if (!item)
        return fileId == 0 ? QStringLiteral("一个推荐的网页") : QStringLiteral("动画 %1").arg(fileId);
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(escaped(playingPath(item->id)), escaped(item->name));
}

QString CardsArea::cardHtml(const ReceivedCard &card)
{
    return QStringLiteral("<p class=\"to\">亲爱的 <b class=\"to-name\">%1</b>：</p>\n"
                          "<p class=\"message\">%2</p>\n"
                          "<p class=\"signature\">—— %3</p>\n"
                          "<p class=\"meta\">随卡附上：%4</p>\n")
        .arg(escaped(card.toName), escapedLines(card.body), escaped(card.fromName), itemLink(card.fileId));
}

const SiteAreaRegistration kCards("cards", [](DemoSite &site) -> std::unique_ptr<SiteArea> {
    return std::make_unique<CardsArea>(site);
});

} // namespace
