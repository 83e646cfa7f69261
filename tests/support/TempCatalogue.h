#pragma once

#include "store/Connection.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>

// An empty catalogue in a fresh temporary home directory, with a side
// connection for setting up rows and checking what the program wrote.
class TempCatalogue final
{
public:
    TempCatalogue();

    QString home() const { return m_dir.path(); }
    QString path() const;

    // Runs statements (SQLite dialect) on the side connection.
    void exec(const QString &sql);
    QVariant scalar(const QString &sql);

    // Adds a class, a column, an item; the item's date is "2003-01-DD" + time.
    void addClass(int id, const QString &name);
    void addColumn(int id, int classId, const QString &name, bool subscribed = true);
    void addItem(int id, int columnId, const QString &name, const QString &date, int hits = 0, bool viewed = false,
                 bool downloaded = false, bool deleted = false);

    // Drops the side connection so that only the code under test holds the file.
    void release();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<store::Connection> m_side;
    store::Connection &side();
};
