#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace platform::doubles {

/// What a program run to its end left behind. `status` is -1 when it crashed or did not end in
/// time (it is then killed, and `err` says so).
struct ProgramRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

/// Runs `program` with `environment` as a terminal without any display would: DISPLAY,
/// WAYLAND_DISPLAY and QT_QPA_PLATFORM are removed, so a program that needs a window system for
/// what it was asked fails here. Waits at most `timeoutMs`.
ProgramRun
runWithoutDisplay(const QString& program, const QStringList& arguments,
                  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment(),
                  int timeoutMs = 60000);

} // namespace platform::doubles
