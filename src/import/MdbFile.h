#pragma once

#include "import/TableSource.h"

#include <QByteArray>
#include <QString>

namespace import {

// What the first page of a file says: an empty `problem` when it looks like
// an Access database whose size is a whole number of its pages.
struct AccessHeader
{
    int jetVersion = -1; // 0 Jet 3, 1 Jet 4, 2 and up Access 2007 and later
    int pageSize = 0;
    QString problem;
};
AccessHeader readAccessHeader(const QByteArray &firstPage, qint64 fileSize);

// An Access (Jet 3 or Jet 4) file read through mdbtools' library. Jet 3
// texts are read in the Chinese Windows code page (GBK). libmdb trusts the
// file: a damaged one can crash it or make it loop, so the import reads
// through this in a process of its own (ImportProcess).
class MdbFile final : public TableSource
{
public:
    // Checks the file's header and opens it; throws ImportError naming the
    // file and what is wrong.
    explicit MdbFile(QString path);
    ~MdbFile() override;
    MdbFile(const MdbFile &) = delete;
    MdbFile &operator=(const MdbFile &) = delete;

    int jetVersion() const { return m_header.jetVersion; }
    QList<SourceTable> tables() override;
    void readRows(const SourceTable &table, const std::function<bool(const SourceRow &)> &row) override;

private:
    QString m_path;
    AccessHeader m_header;
    void *m_mdb = nullptr; // libmdb's MdbHandle
};

} // namespace import
