// The companion from start to end: the demo site publishes items, an online
// login through the program's own dialog starts flashbar-update, which
// writes them and tells the running program; "最新" turns red and "最近更新"
// lists them, the user's marks stay, and a second run adds nothing.
#include "DemoSite.h"
#include "ScriptedPrompter.h"
#include "UpdateSupport.h"

#include "app/MainWindow.h"
#include "app/Program.h"
#include "browse/ItemListModel.h"
#include "browse/ItemListPanel.h"
#include "catalogue/DemoCatalogue.h"
#include "catalogue/PublishedCatalogue.h"
#include "server/LoginDialog.h"
#include "store/Connection.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// Logs in online as `demo` once the program's login dialog is up.
void logInOnlineWhenAsked(QTimer &poll)
{
    QObject::connect(&poll, &QTimer::timeout, [&poll] {
        auto *dialog = qobject_cast<TFrm_Login *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll.stop();
        dialog->cb_username->setEditText(QStringLiteral("demo"));
        dialog->ed_password->setText(QStringLiteral("demo"));
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
    });
    poll.start(10);
}

// The file identifiers of every page of the list on show.
QSet<int> listedItems(browse::ItemListPanel &list)
{
    QSet<int> ids;
    QTest::mouseClick(list.sb_firstpage, Qt::LeftButton);
    for (int page = 0; page < 100; ++page) {
        for (const browse::ItemRow &row : list.filesModel->rows())
            ids.insert(row.fileId.toInt());
        const QString before = list.lab_pagenum->text();
        QTest::mouseClick(list.sb_nextpage, Qt::LeftButton);
        if (list.lab_pagenum->text() == before)
            break;
    }
    return ids;
}

int publish(const QString &siteHome, int items)
{
    QProcess p;
    p.start(QStringLiteral(FLASHBAR_CATALOGUE),
            {QStringLiteral("publish"), siteHome, QStringLiteral("--items"), QString::number(items)});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return 0;
    // "published N items (FIRST to LAST) in PATH"
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    return out.section(u'(', 1).section(u' ', 0, 0).toInt();
}

// Points an environment variable at a directory of its own for one test.
class OwnDirectory final
{
public:
    explicit OwnDirectory(const char *variable) : m_variable(variable), m_previous(qgetenv(variable))
    {
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(variable, m_dir.path().toLocal8Bit());
    }
    ~OwnDirectory() { qputenv(m_variable, m_previous); }

private:
    const char *m_variable;
    QByteArray m_previous;
    QTemporaryDir m_dir;
};

TEST(Companion, PublishedItemsReachTheRunningProgramAfterAnOnlineLogin)
{
    // The notice's socket and the settings are this test's own.
    const OwnDirectory runtime("XDG_RUNTIME_DIR");
    const OwnDirectory config("XDG_CONFIG_HOME");

    // The site and the user share the demo items; the user has marked some.
    QTemporaryDir home;
    catalogue::DemoOptions options;
    options.items = 300;
    catalogue::writeDemoCatalogue(home.path(), options);
    {
        store::Connection side(catalogue::cataloguePath(home.path()));
        side.exec(QStringLiteral("UPDATE tb_Files SET HasViewed = 1 - HasViewed WHERE FileID % 7 = 0"));
        side.exec(QStringLiteral("UPDATE tb_Files SET HasDownloaded = 1, Deleted = 1 WHERE FileID % 11 = 0"));
        side.exec(QStringLiteral("UPDATE tb_Colume SET Subscribed = 0 WHERE ColumeID = 1"));
    }
    const QStringList marksBefore = catalogueRows(home.path());
    DemoSite site(home.path(), QStringLiteral(RUFFLE_DIR));
    ASSERT_TRUE(site.listen()) << site.errorString().toStdString();
    const int first = publish(home.path(), 25);
    ASSERT_GT(first, 0);
    QSet<int> published;
    for (int id = first; id < first + 25; ++id)
        published.insert(id);

    const QString previousDir = QDir::currentPath();
    QDir::setCurrent(home.path());
    {
        ScriptedPrompter prompter;
        Program program(prompter, site.baseUrl());
        program.Frm_Login()->setOwnCompanion(QStringLiteral(FLASHBAR_UPDATE));
        program.setLoginAtStart(true);
        QTimer poll;
        logInOnlineWhenAsked(poll);
        program.start();
        TFrm_Main *main = program.Frm_Main();
        const QColor before = main->sb_refresh->palette().color(QPalette::ButtonText);
        EXPECT_NE(before, QColor(255, 0, 0));
        ASSERT_TRUE(waitFor([&] { return main->login.IsOnline; }, 30000)) << "logged in online";
        EXPECT_TRUE(waitFor(
            [&] { return main->sb_refresh->palette().color(QPalette::ButtonText) == QColor(255, 0, 0); }, 30000))
            << "\"最新\" turned red";

        QTest::mouseClick(main->sb_refresh, Qt::LeftButton);
        EXPECT_EQ(main->pal_files->lab_Files->text(), QStringLiteral("最近更新"));
        // Items of unsubscribed columns are not listed, as with any list.
        QSet<int> subscribed = published;
        {
            store::Connection side(catalogue::cataloguePath(home.path()));
            QSqlQuery q(side.database());
            q.exec(QStringLiteral("SELECT FileID FROM tb_Files WHERE ColumeID IN"
                                  " (SELECT ColumeID FROM tb_Colume WHERE Subscribed = 0)"));
            while (q.next())
                subscribed.remove(q.value(0).toInt());
        }
        EXPECT_EQ(listedItems(*main->pal_files), subscribed);
        EXPECT_TRUE(prompter.asked.isEmpty());
        main->close();
    }
    QDir::setCurrent(previousDir);

    // Every row from before is as it was; what is new is the 25 items,
    // unmarked, and their two new columns, subscribed.
    const QStringList now = catalogueRows(home.path());
    QStringList added = now;
    for (const QString &row : marksBefore) {
        EXPECT_TRUE(now.contains(row)) << row.toStdString();
        added.removeOne(row);
    }
    const QStringList addedItems = added.filter(QRegularExpression(QStringLiteral("^tb_Files\\|")));
    EXPECT_EQ(addedItems.size(), 25);
    for (const QString &row : addedItems) {
        const QStringList f = row.split(u'|');
        EXPECT_TRUE(published.contains(f.at(1).toInt())) << row.toStdString();
        EXPECT_EQ(f.mid(10, 3), (QStringList{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")}))
            << "not viewed, not downloaded, not deleted: " << row.toStdString();
    }
    const QStringList addedColumns = added.filter(QRegularExpression(QStringLiteral("^tb_Colume\\|")));
    EXPECT_EQ(addedColumns.size(), 2);
    for (const QString &row : addedColumns)
        EXPECT_TRUE(row.endsWith(QStringLiteral("|1"))) << row.toStdString();

    // A second run finds nothing new and writes nothing.
    const QStringList after = catalogueRows(home.path());
    const CompanionRun again = runCompanion(home.path(), site.baseUrl());
    EXPECT_EQ(again.exitCode, 0) << again.output.toStdString();
    EXPECT_TRUE(again.output.contains(QStringLiteral("0 new items"))) << again.output.toStdString();
    EXPECT_EQ(catalogueRows(home.path()), after);
}

} // namespace
