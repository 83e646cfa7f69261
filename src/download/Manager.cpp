#include "download/Manager.h"

namespace download {

QString serviceName(Manager manager)
{
    return manager == Manager::NetAnts ? QStringLiteral("NetAnts") : QStringLiteral("FlashGet");
}

QString classId(Manager manager)
{
    return manager == Manager::NetAnts ? QStringLiteral("{57E91B42-F40A-11D1-B792-444553540000}")
                                       : QStringLiteral("{FB5DA724-162B-11D3-8B9B-AA70B4B0B524}");
}

QString displayName(Manager manager)
{
    return manager == Manager::NetAnts ? QStringLiteral("网络蚂蚁") : QStringLiteral("网际快车");
}

} // namespace download
