#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace platform {

/// Keeps a windowed program to one running copy per session, so that two copies never fight
/// over one file or device. The first copy owns the name "org.notebooksuite.<program>" on
/// the D-Bus session bus and offers, at the path "/", the interface
/// "org.notebooksuite.Application" with one method, Activate, that brings its main window
/// forward. A later copy calls Activate on it and should then exit with status 0.
class SingleInstance final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.notebooksuite.Application")

public:
    enum class Outcome {
        First,          ///< This copy owns the name; `activate` runs on each later start.
        AlreadyRunning, ///< Another copy owns the name and was asked to come forward.
        Unguarded,      ///< No session bus (one line logged): the program runs unguarded.
    };

    /// `program` is the last part of the bus name ("Voltaro"). Needs a QCoreApplication.
    explicit SingleInstance(QString program, QObject* parent = nullptr);
    ~SingleInstance() override;

    /// Claims the name; `activate` brings this copy's main window forward (raise and
    /// activate) when a later copy starts. Call once, before showing the window.
    Outcome claim(std::function<void()> activate);

    QString busName() const;

public Q_SLOTS:
    /// The bus method. Runs `activate` on the event loop's thread.
    Q_SCRIPTABLE void Activate();

private:
    QString m_program;
    std::function<void()> m_activate;
    bool m_registered = false;
};

} // namespace platform
