#pragma once

// The whole program on a demo home whose demo site runs in the test, started
// past the login gate (offline) and ready for commands.
#include "CatalogueRows.h"
#include "LoginAtStart.h"
#include "ScriptedPrompter.h"
#include "SiteHome.h"
#include "Wait.h"

#include "app/MainWindow.h"
#include "app/Program.h"
#include "browse/ItemListModel.h"
#include "browser/WebProfile.h"
#include "browser/WebView.h"
#include "server/LoginDialog.h"
#include "store/Connection.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QTreeView>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include <memory>

#include <gtest/gtest.h>

class ProgramOnSite : public ::testing::Test
{
protected:
    ProgramOnSite() : previousDir(QDir::currentPath())
    {
        QDir::setCurrent(siteHome().home.path());
        // Each test starts without a session on the site and without cards.
        browser::webProfile()->cookieStore()->deleteAllCookies();
        execute(QStringLiteral("DELETE FROM tb_SendCards"));
        startProgram(siteHome().base());
    }
    ~ProgramOnSite() override
    {
        program.reset();
        QDir::setCurrent(previousDir);
    }

    // Starts the program (afresh) on the site at `site`, past the login gate.
    void startProgram(const QString &site)
    {
        program.reset();
        program = std::make_unique<Program>(prompter, site);
        QSignalSpy ready(program.get(), &Program::ready);
        LoginAtStart offline;
        program->start();
        if (!ready.wait(20000))
            ADD_FAILURE() << "the program did not start";
        main = program->Frm_Main();
        siteHome().site->clearRequests();
    }

    // "推荐给好友(T)" on a row of the ranking list, through the list's menu.
    void recommendRow(int row)
    {
        main->sbt_c6Click();
        const QModelIndex index = main->pal_files->filesModel->index(row, 0);
        main->pal_files->lv_FilesContextPopup(main->pal_files->lv_Files->visualRect(index).center());
        main->pal_files->pm_Files->hide();
        main->pal_files->T1->trigger();
    }
    QString rowName(int row) const { return main->pal_files->filesModel->row(row).caption; }
    int rowId(int row) const { return main->pal_files->filesModel->row(row).fileId.toInt(); }

    // Fills in the login dialog and presses "登陆(&O)".
    static void logIn(QWidget *window, const QString &name, const QString &password, bool offline)
    {
        auto *login = static_cast<TFrm_Login *>(window);
        login->cb_username->setEditText(name);
        login->ed_password->setText(password);
        login->CheckBox2->setChecked(offline);
        QTest::mouseClick(login->Button1, Qt::LeftButton);
    }

    // Types text into a widget key by key, Chinese as well.
    static void typeInto(QWidget *widget, const QString &text)
    {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    // The visible text of a web view once it holds `wanted` (or after 20 s).
    // Callbacks may come after the wait, even at the view's end: they write
    // to a text they share.
    static QString pageTextWith(browser::WebView &view, const QString &wanted)
    {
        auto text = std::make_shared<QString>();
        waitFor(
            [&] {
                view.toPlainText([text](const QString &t) { *text = t; });
                return text->contains(wanted);
            },
            20000);
        return *text;
    }

    // Keeps a picture of a window for people to look at (screenshots/ of
    // the build tree).
    static void keepPicture(QWidget &window, const QString &name)
    {
        QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
        EXPECT_TRUE(window.grab().save(QStringLiteral(SCREENSHOT_DIR "/") + name)) << name.toStdString();
    }

    static void execute(const QString &sql)
    {
        store::Connection c(catalogue::cataloguePath(siteHome().home.path()));
        QSqlQuery q(c.database());
        if (!q.exec(sql))
            ADD_FAILURE() << sql.toStdString();
    }

    static QList<ReceivedRequest> requestsTo(const QByteArray &method, const QByteArray &path)
    {
        return siteRequestsTo(method, path);
    }
    // Rows of a statement on the catalogue, each as its fields joined by "|".
    static QStringList rows(const QString &sql) { return catalogueRows(siteHome().home.path(), sql); }

    QString previousDir;
    ScriptedPrompter prompter;
    std::unique_ptr<Program> program;
    TFrm_Main *main = nullptr;
};
