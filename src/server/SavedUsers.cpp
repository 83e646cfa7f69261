#include "server/SavedUsers.h"

#include "store/DataModule.h"
#include "store/JetSql.h"

namespace server {

namespace {

// Opens aq_all on the record of one user; the caller closes it.
store::DataSet &openUser(TDM_CDS &dm, const QString &name)
{
    store::DataSet &q = dm.aq_all;
    q.close();
    q.setSql(QStringLiteral("select * from tb_users where Username=") + store::quoted(name));
    q.open();
    return q;
}

// Closes a data set however the work on it ends.
template <typename F> auto withClosing(store::DataSet &set, F &&work)
{
    try {
        auto result = work();
        set.close();
        return result;
    } catch (...) {
        set.close();
        throw;
    }
}

} // namespace

QStringList listSavedUsers(TDM_CDS &dm)
{
    store::DataSet &q = dm.aq_all;
    q.close();
    q.setSql(QStringLiteral("select * from tb_users order by logindate desc"));
    q.open();
    return withClosing(q, [&q] {
        QStringList names;
        for (; !q.eof(); q.next())
            names << q.fieldByName(u"username").asString();
        return names;
    });
}

std::optional<SavedUser> loadSavedUser(TDM_CDS &dm, const QString &name)
{
    store::DataSet &q = openUser(dm, name);
    return withClosing(q, [&q]() -> std::optional<SavedUser> {
        if (q.eof())
            return std::nullopt;
        return SavedUser{q.fieldByName(u"password").asString(), q.fieldByName(u"savepass").asBoolean()};
    });
}

bool SaveLoginUser(TDM_CDS &dm, const QString &name, const QString &password, const QDateTime &time, bool save)
{
    store::DataSet &q = openUser(dm, name);
    // Milliseconds, so that two logins within a second still sort.
    const QString when = time.toString(Qt::ISODateWithMs);
    return withClosing(q, [&] {
        const bool found = !q.eof();
        if (found) {
            q.edit();
            q.setFieldValue(u"password", save ? password : QString());
        } else {
            q.append();
            q.setFieldValue(u"Username", name);
            if (save)
                q.setFieldValue(u"password", password);
        }
        q.setFieldValue(u"savepass", save);
        q.setFieldValue(u"LoginDate", when);
        q.post();
        return !found;
    });
}

} // namespace server
