// Saves the archive of a folder over and over until killed, for the test that kills a save
// midway: usage: vantir-test-saver FOLDER. Prints "ready" once the first save is done.

#include "platform/core/event_loop_clock.h"
#include "platform/core/notification_center.h"
#include "vantir/core/repository.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2)
        return 2;
    vantir::RepositoryServices services;
    services.archiveFolder = QString::fromLocal8Bit(argv[1]);
    platform::EventLoopClock clock;
    platform::NotificationCenter notifications;
    vantir::ModelContext model(clock, notifications, nullptr);
    vantir::VNTRepository repository(model, services);
    repository.load();
    const auto remotes = repository.remotes();
    for (long round = 0;; ++round) {
        // Each round changes the archive, so that every save really writes something new.
        const auto layer = repository.layersOfFirstRemote().front();
        layer.setStoredObject(QStringLiteral("round %1").arg(round), QStringLiteral("name"));
        if (!repository.save())
            return 1;
        if (round == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}
