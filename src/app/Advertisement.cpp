#include "app/Advertisement.h"

#include "store/DataModule.h"

#include <QTimer>

namespace app {

Advertisement::Advertisement(QObject *parent) : QObject(parent)
{
    tm_advertisement = new QTimer(this);
    tm_advertisement->setObjectName(QStringLiteral("tm_advertisement"));
    tm_advertisement->setInterval(20000);
    connect(tm_advertisement, &QTimer::timeout, this, &Advertisement::tm_advertisementTimer);
}

void Advertisement::start()
{
    tm_advertisement->start();
}

void Advertisement::tm_advertisementTimer()
{
    if (!m_dm)
        return;
    store::DataSet &ads = m_dm->at_Adver;
    if (!ads.active())
        ads.open();
    if (ads.eof())
        ads.first();
    if (ads.eof())
        return;
    emit shown(ads.fieldByName(u"Context").asString(), ads.fieldByName(u"URL").asString());
    ads.next();
}

} // namespace app
