// Kelvane, the keyboard backlight agent.

#include "kelvane/app/kelvane_application.h"
#include "platform/core/log.h"
#include "platform/linux/quit_requests.h"
#include "platform/linux/single_instance.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv) {
    platform::setLogPrefix(QStringLiteral("Kelvane"));
    kelvane::Options options;
    if (const auto status = kelvane::parseOptions(argc, argv, options))
        return *status;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvane"));
    QApplication::setDesktopFileName(QStringLiteral("kelvane"));
    // An agent: closing its windows does not end it, only Quit does.
    QApplication::setQuitOnLastWindowClosed(false);
    std::unique_ptr<kelvane::KelvaneApplication> kelvane;
    // Two copies would fight over the backlight and the hot keys.
    platform::SingleInstance guard(QStringLiteral("Kelvane"));
    if (guard.claim([&kelvane] {
            if (kelvane)
                kelvane->bringForward();
        }) == platform::SingleInstance::Outcome::AlreadyRunning)
        return 0;
    kelvane = std::make_unique<kelvane::KelvaneApplication>(options);
    const platform::QuitRequests quitRequests([&kelvane] { kelvane->quit(); });
    if (!kelvane->start())
        return 1;
    return application.exec();
}
