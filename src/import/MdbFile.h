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
    int codePage = 0; // the Windows code page of Jet 3 texts, 0 when not told
    QString problem;
};
AccessHeader readAccessHeader(const QByteArray &firstPage, qint64 fileSize);

// Jet keeps part of its first page (code page, key, dates) scrambled with a
// fixed RC4 key; scrambling again restores it, so this does both ways.
void scrambleJetHeader(QByteArray &firstPage, int jetVersion);

// An Access (Jet 3 or Jet 4) file read through mdbtools' library. Jet 3
// texts are read in the code page the file states, GBK when it states none
// that is usable (jet3Charset). libmdb trusts the
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
    int codePage() const { return m_header.codePage; }
    QList<SourceTable> tables() override;
    void readRows(const SourceTable &table, const std::function<bool(const SourceRow &)> &row) override;

private:
    QString m_path;
    AccessHeader m_header;
    void *m_mdb = nullptr; // libmdb's MdbHandle
};

} // namespace import
