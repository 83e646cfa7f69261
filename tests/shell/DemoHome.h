#pragma once

#include "catalogue/DemoCatalogue.h"

#include <QDir>
#include <QTemporaryDir>

// A demo home (catalogue and skin) made once per test program, and a guard
// that makes a directory current for one test.
inline QString sharedDemoHome()
{
    static QTemporaryDir *dir = [] {
        auto *d = new QTemporaryDir;
        catalogue::DemoOptions options;
        options.items = 200;
        catalogue::writeDemoCatalogue(d->path(), options);
        return d;
    }();
    return dir->path();
}

class CurrentDir final
{
public:
    explicit CurrentDir(const QString &dir) : m_previous(QDir::currentPath()) { QDir::setCurrent(dir); }
    ~CurrentDir() { QDir::setCurrent(m_previous); }
    CurrentDir(const CurrentDir &) = delete;
    CurrentDir &operator=(const CurrentDir &) = delete;

private:
    QString m_previous;
};
