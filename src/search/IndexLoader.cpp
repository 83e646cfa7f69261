#include "search/IndexLoader.h"

#include <QMetaObject>

#include <exception>

namespace search {
namespace {

struct Cancelled
{
};

} // namespace

IndexLoader::IndexLoader(QObject *parent) : QObject(parent)
{
}

IndexLoader::~IndexLoader()
{
    m_cancel = true;
    if (m_thread.joinable())
        m_thread.join();
}

void IndexLoader::start(const QString &databasePath)
{
    if (m_thread.joinable())
        return;
    m_cancel = false;
    m_thread = std::thread([this, databasePath] {
        QString error;
        try {
            m_index.load(databasePath, [this](int percent) {
                if (m_cancel)
                    throw Cancelled{};
                QMetaObject::invokeMethod(
                    this, [this, percent] { emit progress(percent); }, Qt::QueuedConnection);
            });
        } catch (const Cancelled &) {
            return;
        } catch (const std::exception &e) {
            error = QString::fromUtf8(e.what());
        }
        QMetaObject::invokeMethod(
            this, [this, error] { done(error); }, Qt::QueuedConnection);
    });
}

void IndexLoader::done(const QString &error)
{
    if (m_thread.joinable())
        m_thread.join();
    m_error = error;
    m_ready = error.isEmpty();
    emit finished(m_ready);
}

} // namespace search
