#include "handoff/Managers.h"

#include <QStringView>

namespace handoff {

namespace {

struct Identity
{
    Manager manager;
    QStringView service;
    QStringView classId;
    QStringView displayName;
};

constexpr Identity kIdentities[] = {
    {Manager::NetAnts, u"NetAnts", u"{57E91B42-F40A-11D1-B792-444553540000}", u"网络蚂蚁"},
    {Manager::FlashGet, u"FlashGet", u"{FB5DA724-162B-11D3-8B9B-AA70B4B0B524}", u"网际快车"},
};

const Identity &identityOf(Manager manager)
{
    return manager == Manager::NetAnts ? kIdentities[0] : kIdentities[1];
}

} // namespace

QString serviceName(Manager manager)
{
    return identityOf(manager).service.toString();
}

QString classId(Manager manager)
{
    return identityOf(manager).classId.toString();
}

QString displayName(Manager manager)
{
    return identityOf(manager).displayName.toString();
}

std::optional<Manager> managerOfService(const QString &service)
{
    for (const Identity &identity : kIdentities) {
        if (service == identity.service)
            return identity.manager;
    }
    return std::nullopt;
}

std::optional<Manager> managerOfClassId(const QString &classId)
{
    for (const Identity &identity : kIdentities) {
        if (classId.compare(identity.classId, Qt::CaseInsensitive) == 0)
            return identity.manager;
    }
    return std::nullopt;
}

} // namespace handoff
