#include "app/StartUp.h"

#include "app/FirstStart.h"
#include "app/HomeInstance.h"
#include "platform/Prompter.h"

#include <QDir>

#include <cstdio>

namespace app {

common::SiteSetting siteAddress(const Options &options, bool interactive, platform::Prompter &prompter)
{
    const common::SiteSetting setting = common::readSiteAddress(options.siteGiven ? options.site : QString());
    if (!setting.error.isEmpty())
        prompter.showError(
            QStringLiteral("设置文件中的网站地址不能使用，程序使用 %1。\n%2").arg(setting.address, setting.error));
    else if (interactive && !options.siteGiven)
        common::keepDefaultSiteAddress();
    return setting;
}

std::optional<int> prepareHome(HomeInstance &instance, const Options &options, const QString &home,
                               const import::WorkerCommand &worker, platform::Prompter &prompter,
                               common::SiteSetting *site)
{
    const bool interactive = options.screenshot.isEmpty();
    if (interactive) {
        switch (instance.claim()) {
        case HomeInstance::Claim::OtherRaised:
            std::fputs(QStringLiteral("flashbar: already running on %1, brought to the front\n")
                           .arg(home)
                           .toLocal8Bit()
                           .constData(),
                       stdout);
            return 0;
        case HomeInstance::Claim::OtherSilent:
            prompter.showError(
                QStringLiteral("另一个程序正在使用 %1，但没有响应。").arg(QDir::toNativeSeparators(home)));
            return 1;
        case HomeInstance::Claim::First:
            break;
        }
    }
    *site = siteAddress(options, interactive, prompter);
    // A home copied from the old program has its Access catalogue only.
    const HomeOffer imported = interactive ? offerImport(home, worker, prompter) : HomeOffer::NotNeeded;
    // Without --home, the first start offers a demo catalogue.
    const HomeOffer offer = imported == HomeOffer::NotNeeded && options.home.isEmpty()
                                ? offerDemoHome(home, site->address, prompter)
                                : imported;
    if (offer == HomeOffer::Declined)
        return 0;
    if (offer == HomeOffer::Failed)
        return 1;
    return std::nullopt;
}

LocalSite::State startLocalSite(LocalSite &site, const QString &address, bool ownSite, const QString &home,
                                const QString &program, platform::Prompter &prompter)
{
    if (!ownSite)
        return LocalSite::State::Elsewhere;
    QString error;
    const LocalSite::State state = site.ensure(address, home, program, &error);
    if (state == LocalSite::State::PortTaken)
        prompter.showError(QStringLiteral("地址 %1 已被另一个程序占用，本地网站没有启动。\n"
                                          "程序继续运行，请离线登陆。")
                               .arg(address));
    else if (state == LocalSite::State::Failed)
        prompter.showError(QStringLiteral("本地网站 %1 没有启动：%2\n程序继续运行，请离线登陆。").arg(address, error));
    return state;
}

} // namespace app
