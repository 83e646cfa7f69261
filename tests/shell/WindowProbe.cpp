// Helper program for the window tests: the real program, with the real
// application object, its error handler and real message boxes, on a home
// (the first argument), past the login gate offline. Scenarios:
//   advert at-once|after-two  the advertisement table cannot be read and the
//       footer's timer is quickened, with further ticks in between; the login comes at once or after two
//       error boxes, and the program runs on for a while;
//   damage third|emptied  class 3 is listed, the catalogue file is cut
//       short on disk and class 1 asked for, then the sound file is put back
//       (a new file in its place) and class 1 asked for again.
// It reports on stderr: each message box as it opens (and a box opened over
// another one), the login, and the rows the list shows.
#include "app/Advertisement.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "browse/ItemListModel.h"
#include "browse/ItemListPanel.h"
#include "platform/QtPrompter.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <cstdio>
#include <memory>

namespace {

constexpr int kTickMs = 150;
constexpr int kBoxOpenMs = 400; // longer than a tick: ticks come while a box is up
constexpr int kRunAfterLoginMs = 2500;

void say(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

// The program's own message boxes, each noted as it opens.
class NotingPrompter final : public platform::Prompter
{
public:
    Answer ask(const QString &title, const QString &text, Icon icon, Buttons buttons) override
    {
        if (m_open > 0)
            say(QStringLiteral("box over box"));
        say(QStringLiteral("box %1: %2").arg(title, text.section(u'\n', 0, 0)));
        ++m_open;
        const Answer answer = boxes.ask(title, text, icon, buttons);
        --m_open;
        return answer;
    }
    platform::QtPrompter boxes;

private:
    int m_open = 0;
};

// Closes each message box once it has been up for a while, as a reader does.
void closeBoxesInTime(QObject *owner)
{
    auto *poll = new QTimer(owner);
    auto clock = std::make_shared<QElapsedTimer>();
    QObject::connect(poll, &QTimer::timeout, [clock] {
        QWidget *modal = QApplication::activeModalWidget();
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            clock->invalidate();
            return;
        }
        if (!clock->isValid())
            clock->start();
        else if (clock->elapsed() >= kBoxOpenMs)
            box->button(QMessageBox::Ok)->click();
    });
    poll->start(10);
}

// What the item list shows: its caption, page label and rows.
void sayList(const char *when, TFrm_Main &main)
{
    const browse::ItemListPanel &list = *main.pal_files;
    QStringList rows;
    for (const browse::ItemRow &row : list.filesModel->rows())
        rows << row.caption;
    say(QStringLiteral("%1: %2 | %3 | %4")
            .arg(QLatin1String(when), list.lab_Files->text(), list.lab_pagenum->text(), rows.join(u',')));
}

// Lists class 3, damages the catalogue file on disk (cut to a third of its
// size, or emptied), lists class 1, puts the file back and lists class 1
// again.
void listAcrossDamage(Program &program, bool emptied)
{
    TFrm_Main &main = *program.Frm_Main();
    QTest::mouseClick(main.findChild<QToolButton *>(QStringLiteral("sbt_c3")), Qt::LeftButton);
    sayList("listed", main);
    QFile file(QStringLiteral("Data/info.db"));
    if (!file.open(QIODevice::ReadWrite))
        return say(QStringLiteral("cannot open the catalogue"));
    const QByteArray original = file.readAll();
    file.resize(emptied ? 0 : original.size() / 3);
    file.flush();
    auto *classOne = main.findChild<QToolButton *>(QStringLiteral("sbt_c1"));
    QTest::mouseClick(classOne, Qt::LeftButton);
    sayList("damaged", main);
    file.close();
    // The sound file comes back as a new file put in its place.
    QFile back(QStringLiteral("Data/info.db.new"));
    if (!back.open(QIODevice::WriteOnly) || back.write(original) != original.size())
        return say(QStringLiteral("cannot put the catalogue back"));
    back.close();
    std::rename("Data/info.db.new", "Data/info.db");
    QTest::mouseClick(classOne, Qt::LeftButton);
    sayList("restored", main);
}

} // namespace

int main(int argc, char **argv)
{
    Application app(argc, argv);
    if (argc < 4)
        return 2;
    const QByteArray scenario = argv[2];
    const QByteArray variant = argv[3];
    const bool loginAtOnce = scenario != "advert" || variant == "at-once";
    QDir::setCurrent(QString::fromLocal8Bit(argv[1]));
    NotingPrompter prompter;
    app.setPrompter(&prompter);
    Program program(prompter, QStringLiteral("http://127.0.0.1:9/"));
    prompter.boxes.setOwner(program.Frm_Main());
    if (scenario == "advert") {
        // Ticks of the timer, and more in between, as a tick that comes due
        // while a box is up.
        QTimer *ticks = program.Frm_Main()->advertisement->tm_advertisement;
        ticks->setInterval(kTickMs);
        auto *extra = new QTimer(&app);
        QObject::connect(extra, &QTimer::timeout, ticks,
                         [ticks] { QMetaObject::invokeMethod(ticks, "timeout", Qt::QueuedConnection); });
        extra->start(kTickMs / 2);
    }
    closeBoxesInTime(&app);

    // Error boxes, counted as they come up.
    int boxesSeen = 0;
    auto *count = new QTimer(&app);
    bool boxUp = false;
    QObject::connect(count, &QTimer::timeout, [&] {
        const bool up = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()) != nullptr;
        if (up && !boxUp)
            ++boxesSeen;
        boxUp = up;
    });
    count->start(5);
    // The login dialog is answered offline, at once or after two boxes.
    auto *login = new QTimer(&app);
    QObject::connect(login, &QTimer::timeout, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->objectName() != QLatin1String("Frm_Login") || (!loginAtOnce && boxesSeen < 2))
            return;
        login->stop();
        dialog->findChild<QCheckBox *>(QStringLiteral("CheckBox2"))->setChecked(true);
        dialog->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
    });
    login->start(5);
    QObject::connect(
        &program, &Program::ready, &app,
        [&] {
            say(QStringLiteral("logged in"));
            if (scenario == "damage") {
                listAcrossDamage(program, variant == "emptied");
                QCoreApplication::exit(0);
            } else {
                QTimer::singleShot(kRunAfterLoginMs, [] { QCoreApplication::exit(0); });
            }
        },
        Qt::QueuedConnection);
    QTimer::singleShot(30000, [] {
        say(QStringLiteral("timed out"));
        QCoreApplication::exit(3);
    });
    program.start();
    const int code = app.exec();
    say(QStringLiteral("still running"));
    return code;
}
