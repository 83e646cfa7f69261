#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace platform {

// The new-items notice: another process tells the running program that new
// items arrived. The program listens on a local socket named after its main
// window class in the user's runtime directory, open to the same user only.
class NewItemsListener final : public QObject
{
    Q_OBJECT
public:
    explicit NewItemsListener(QObject *parent = nullptr);
    ~NewItemsListener() override;

    // Starts listening; false (with `errorText`) when another running
    // program already listens or the socket cannot be made.
    bool listen();
    QString errorText() const { return m_error; }

    static QString socketPath();

signals:
    void newItems(int count);

private:
    void acceptConnection();

    QLocalServer *m_server;
    QString m_error;
};

// Delivers `count` to the running program; returns false with `error` set
// when there is none or it does not take the notice.
bool sendNewItemsNotice(int count, QString *error);

} // namespace platform
