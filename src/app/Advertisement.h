#pragma once

#include <QObject>
#include <QString>

class QTimer;
class TDM_CDS;

namespace app {

// The footer's advertisements: every 20 seconds the next entry of the
// catalogue's advertisement table, from the first again after the last. The
// table is opened at the first tick and then walked row by row for the run.
class Advertisement final : public QObject
{
    Q_OBJECT
public:
    explicit Advertisement(QObject *parent = nullptr);

    void setDataModule(TDM_CDS *dataModule) { m_dm = dataModule; }
    // Starts the ticks.
    void start();

    QTimer *tm_advertisement;
    // One tick: shows the next entry. An empty table shows nothing; a
    // database error is thrown to the program's error handler.
    void tm_advertisementTimer();

signals:
    // The entry to show: its text and the address a click opens.
    void shown(const QString &text, const QString &address);

private:
    TDM_CDS *m_dm = nullptr;
};

} // namespace app
