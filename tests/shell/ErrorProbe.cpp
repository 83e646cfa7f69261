// Helper program for the error-handler test: an error escapes an event
// handler, the application shows it and goes on, then quits normally.
#include "app/Application.h"
#include "platform/StreamPrompter.h"
#include "store/DatabaseError.h"

#include <QTimer>

#include <cstdio>
#include <stdexcept>

int main(int argc, char **argv)
{
    Application app(argc, argv);
    platform::StreamPrompter prompter;
    app.setPrompter(&prompter);
    QTimer::singleShot(0, &app, [] { throw DatabaseError(QStringLiteral("磁盘已满")); });
    QTimer::singleShot(10, &app, [] { throw std::runtime_error("plain failure"); });
    // Without a prompter the error goes to stderr.
    QTimer::singleShot(20, &app, [&app] {
        app.setPrompter(nullptr);
        throw DatabaseError(QStringLiteral("无处可示"));
    });
    QTimer::singleShot(50, &app, [] {
        std::fprintf(stderr, "still running\n");
        QCoreApplication::exit(0);
    });
    return app.exec();
}
