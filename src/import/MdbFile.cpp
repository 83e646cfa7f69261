#include "import/MdbFile.h"

#include "import/MdbText.h"

#include <QFile>
#include <QFileInfo>

#include <mdbtools.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace import {
namespace {

MdbHandle *handleOf(void *mdb)
{
    return static_cast<MdbHandle *>(mdb);
}

// The bound buffer of each column: a 64 KiB memo of Chinese text is 192 KiB
// of UTF-8; wide tables get less each.
constexpr size_t kBindBudget = 64u << 20;
constexpr size_t kBindMax = 1u << 20;

struct TableDef
{
    explicit TableDef(MdbTableDef *def) : def(def) {}
    ~TableDef()
    {
        if (def)
            mdb_free_tabledef(def);
    }
    TableDef(const TableDef &) = delete;
    TableDef &operator=(const TableDef &) = delete;
    MdbTableDef *def;
};

MdbCatalogEntry *userTable(MdbHandle *mdb, const QString &name)
{
    for (guint i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry) &&
            textFromMdb(QByteArray(entry->object_name)) == name)
            return entry;
    }
    return nullptr;
}

// The scrambled part of the first page: where it starts, and its length in
// Jet 3 and in later files.
constexpr int kScrambledAt = 0x18;
constexpr int kScrambledJet3 = 126;
constexpr int kScrambledLater = 128;
constexpr int kCodePageAt = 0x3c;
const unsigned char kHeaderKey[] = {0xc7, 0xda, 0x39, 0x6b};

void rc4(unsigned char *data, int length, const unsigned char *key, int keyLength)
{
    unsigned char state[256];
    for (int i = 0; i < 256; ++i)
        state[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + state[i] + key[i % keyLength]) & 0xff;
        std::swap(state[i], state[j]);
    }
    for (int n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xff;
        j = (j + state[i]) & 0xff;
        std::swap(state[i], state[j]);
        data[n] ^= state[(state[i] + state[j]) & 0xff];
    }
}

} // namespace

void scrambleJetHeader(QByteArray &firstPage, int jetVersion)
{
    const int length = jetVersion == 0 ? kScrambledJet3 : kScrambledLater;
    if (firstPage.size() < kScrambledAt + length)
        return;
    rc4(reinterpret_cast<unsigned char *>(firstPage.data()) + kScrambledAt, length, kHeaderKey, int(sizeof kHeaderKey));
}

AccessHeader readAccessHeader(const QByteArray &firstPage, qint64 fileSize)
{
    AccessHeader header;
    if (firstPage.size() < 0x20 || (firstPage.mid(4, 16) != QByteArray("Standard Jet DB\0", 16) &&
                                    firstPage.mid(4, 16) != QByteArray("Standard ACE DB\0", 16))) {
        header.problem = QStringLiteral("不是 Access 数据库文件");
        return header;
    }
    header.jetVersion = static_cast<unsigned char>(firstPage.at(0x14));
    header.pageSize = header.jetVersion == 0 ? 2048 : 4096;
    QByteArray plain = firstPage;
    scrambleJetHeader(plain, header.jetVersion);
    if (plain.size() >= kCodePageAt + 2)
        header.codePage = static_cast<unsigned char>(plain.at(kCodePageAt)) |
                          static_cast<unsigned char>(plain.at(kCodePageAt + 1)) << 8;
    if (fileSize < 2 * header.pageSize || fileSize % header.pageSize != 0)
        header.problem =
            QStringLiteral("文件不完整（%1 字节，不是整数个 %2 字节的页）").arg(fileSize).arg(header.pageSize);
    return header;
}

MdbFile::MdbFile(QString path) : m_path(std::move(path))
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        throw ImportError(QStringLiteral("无法读取 %1：%2").arg(m_path, file.errorString()));
    m_header = readAccessHeader(file.read(4096), QFileInfo(m_path).size());
    if (!m_header.problem.isEmpty())
        throw ImportError(QStringLiteral("%1：%2").arg(m_path, m_header.problem));
    // Jet 3 texts are in the code page the file states.
    qputenv("MDB_JET3_CHARSET", jet3Charset(m_header.codePage));
    qputenv("MDBICONV", "UTF-8");
    MdbHandle *mdb = mdb_open(QFile::encodeName(m_path).constData(), MDB_NOFLAGS);
    if (!mdb)
        throw ImportError(QStringLiteral("%1：libmdb 无法打开这个 Access 数据库").arg(m_path));
    m_mdb = mdb;
    mdb_set_date_fmt(mdb, kMdbDateFormat);
    mdb_set_shortdate_fmt(mdb, kMdbDateFormat);
    mdb_set_boolean_fmt_numbers(mdb);
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        throw ImportError(QStringLiteral("%1：读不出数据库的表目录，文件已损坏").arg(m_path));
}

MdbFile::~MdbFile()
{
    if (m_mdb)
        mdb_close(handleOf(m_mdb));
}

QList<SourceTable> MdbFile::tables()
{
    MdbHandle *mdb = handleOf(m_mdb);
    QList<SourceTable> out;
    for (guint i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry))
            continue;
        SourceTable table;
        table.name = textFromMdb(QByteArray(entry->object_name));
        TableDef def(mdb_read_table(entry));
        if (!def.def || !mdb_read_columns(def.def))
            throw ImportError(QStringLiteral("%1：读不出表“%2”的结构，文件已损坏").arg(m_path, table.name));
        table.rows = def.def->num_rows;
        for (guint c = 0; c < def.def->num_cols; ++c) {
            const auto *col = static_cast<MdbColumn *>(g_ptr_array_index(def.def->columns, c));
            table.columns.append(
                {textFromMdb(QByteArray(col->name)), columnTypeOf(col->col_type), col->is_long_auto != 0});
        }
        out.append(std::move(table));
    }
    return out;
}

void MdbFile::readRows(const SourceTable &table, const std::function<bool(const SourceRow &)> &row)
{
    MdbHandle *mdb = handleOf(m_mdb);
    MdbCatalogEntry *entry = userTable(mdb, table.name);
    TableDef def(entry ? mdb_read_table(entry) : nullptr);
    if (!def.def || !mdb_read_columns(def.def) || def.def->num_cols != guint(table.columns.size()))
        throw ImportError(QStringLiteral("%1：读不出表“%2”，文件已损坏").arg(m_path, table.name));
    const size_t columns = std::max<size_t>(1, def.def->num_cols);
    const size_t bindSize = std::clamp(kBindBudget / columns, size_t(MDB_BIND_SIZE), kBindMax);
    mdb_set_bind_size(mdb, bindSize);
    std::vector<std::unique_ptr<char[]>> buffers;
    std::vector<int> lengths(columns, 0);
    for (guint c = 0; c < def.def->num_cols; ++c) {
        buffers.push_back(std::make_unique<char[]>(bindSize + 1));
        mdb_bind_column(def.def, int(c + 1), buffers.back().get(), &lengths[c]);
    }
    mdb_rewind_table(def.def);
    SourceRow values;
    while (mdb_fetch_row(def.def)) {
        values.clear();
        for (guint c = 0; c < def.def->num_cols; ++c) {
            const int length = std::clamp(lengths[c], 0, int(bindSize));
            values.append(valueFromMdb(table.columns.at(c).type, QByteArray(buffers[c].get(), length)));
        }
        if (!row(values))
            return;
    }
}

} // namespace import
