#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

// A runtime folder of the test program's own, as a desktop gives each
// session: its sockets (conversations, notices, a home's claim) never meet
// those of another test program running at the same time. Kept while the
// object lives; the programs the tests start inherit it.
class OwnRuntime final
{
public:
    OwnRuntime() { qputenv("XDG_RUNTIME_DIR", m_dir.path().toLocal8Bit()); }

private:
    QTemporaryDir m_dir; // made readable by the user only
};
