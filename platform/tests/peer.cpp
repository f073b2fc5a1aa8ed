// The second process of the platform tests.
//   peer write-defaults FOLDER   rewrites the domain "Torn" in FOLDER until killed, each time
//                                with a new "generation" and a large payload made from it
//   peer listen NAME             prints the first distributed notification called NAME as
//                                "name|object|key=value" and exits
//   peer post NAME OBJECT VALUE  posts NAME from OBJECT with {"key": VALUE} and exits
//   peer claim PROGRAM           claims the single-copy guard of PROGRAM and exits: 0 when
//                                another copy runs, 10 when this was the first, 11 unguarded

#include "platform/core/defaults.h"
#include "platform/linux/dbus_distributed_notification_center.h"
#include "platform/linux/single_instance.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

using namespace platform;

namespace {

int writeDefaultsForever(const QString& folder) {
    Defaults defaults(QStringLiteral("Torn"), folder);
    for (qint64 generation = 1;; ++generation) {
        defaults.setInteger(generation, QStringLiteral("generation"));
        defaults.setString(QString::number(generation).repeated(20000), QStringLiteral("payload"));
        if (!defaults.synchronize())
            return 1;
        std::printf("%lld\n", static_cast<long long>(generation));
        std::fflush(stdout);
    }
}

int listen(QCoreApplication& app, const QString& name) {
    DBusDistributedNotificationCenter center;
    if (!center.isConnected())
        return 2;
    center.addObserver(&center, name, {}, [&](const DistributedNotification& note) {
        std::printf("%s|%s|key=%s\n", qPrintable(note.name), qPrintable(note.object),
                    qPrintable(note.userInfo[QStringLiteral("key")].toString()));
        std::fflush(stdout);
        app.exit(0);
    });
    std::printf("ready\n");
    std::fflush(stdout);
    QTimer::singleShot(20000, &app, [&] { app.exit(3); });
    return app.exec();
}

int post(const QString& name, const QString& object, const QString& value) {
    DBusDistributedNotificationCenter center;
    if (!center.isConnected())
        return 2;
    center.post(name, object, Value::newDictionary({{QStringLiteral("key"), value}}));
    return 0;
}

int claim(const QString& program) {
    SingleInstance guard(program);
    switch (guard.claim([] {})) {
    case SingleInstance::Outcome::First:
        return 10;
    case SingleInstance::Outcome::AlreadyRunning:
        return 0;
    case SingleInstance::Outcome::Unguarded:
        return 11;
    }
    return 64;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("write-defaults"))
        return writeDefaultsForever(args[1]);
    if (args.size() == 2 && args[0] == QLatin1String("listen"))
        return listen(app, args[1]);
    if (args.size() == 4 && args[0] == QLatin1String("post"))
        return post(args[1], args[2], args[3]);
    if (args.size() == 2 && args[0] == QLatin1String("claim"))
        return claim(args[1]);
    std::fprintf(stderr,
                 "usage: peer write-defaults FOLDER | listen NAME | post NAME OBJECT VALUE | "
                 "claim PROGRAM\n");
    return 64;
}
