// The second process of Voltaro's tests.
//   peer save-history FOLDER   adds entries to the history in FOLDER and saves it through the
//                              quit path, over and over, until killed; prints each save's count

#include "platform/testing/scripted_alerts.h"
#include "voltaro/core/history.h"

#include <QString>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "save-history") != 0) {
        std::fprintf(stderr, "usage: peer save-history FOLDER\n");
        return 2;
    }
    platform::doubles::ScriptedAlerts alerts;
    for (int generation = 1;; ++generation) {
        voltaro::Voltaro_AppDelegate delegate(alerts, QString::fromLocal8Bit(argv[2]));
        voltaro::HistoryContext& context = delegate.managedObjectContext();
        // Grow the file, so that a kill lands inside a write of some size.
        for (int i = 0; i < 200; ++i)
            context.insert({QStringLiteral("2026-01-%1").arg(1 + i % 28, 2, 10, QLatin1Char('0')),
                            QStringLiteral("%1 % (%2 mAh)").arg(generation % 100).arg(i)});
        while (context.records().size() > 4000)
            context.removeAt(0);
        if (delegate.applicationShouldTerminate() !=
                voltaro::Voltaro_AppDelegate::TerminateReply::TerminateNow ||
            !alerts.shown.empty())
            return 1;
        std::printf("%zu\n", context.records().size());
        std::fflush(stdout);
    }
}
