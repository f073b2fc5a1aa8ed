#pragma once

#include "platform/core/front_application.h"
#include "platform/core/workspace.h"

#include <QStringList>

namespace platform::doubles {

/// A desktop in memory: the applications with windows, those that could be started, and the
/// one in front. Launching brings an application to the front, as on a real desktop, and is
/// recorded.
class FakeDesktop final : public Workspace, public FrontApplication {
public:
    QStringList launchedApplications() const override { return launched; }
    bool launchApplication(const QString& name) override {
        launchRequests << name;
        const bool known = launched.contains(name, Qt::CaseInsensitive) ||
                           installed.contains(name, Qt::CaseInsensitive);
        if (!known)
            return false;
        if (!launched.contains(name, Qt::CaseInsensitive))
            launched << name;
        setFront(name);
        return true;
    }
    QString frontApplicationName() const override { return front; }
    void setChangeHandler(std::function<void(const QString&)> handler) override {
        m_handler = std::move(handler);
    }

    void setFront(const QString& name) {
        if (name == front)
            return;
        front = name;
        if (m_handler)
            m_handler(name);
    }

    QStringList launched;
    QStringList installed;
    QString front;
    QStringList launchRequests;

private:
    std::function<void(const QString&)> m_handler;
};

} // namespace platform::doubles
