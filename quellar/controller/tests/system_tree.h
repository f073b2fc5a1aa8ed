#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <map>

/// A system tree for the helper and the installation steps: a QUELLAR_ROOT folder, recording
/// `systemctl`, `modprobe` and `reboot` scripts first on PATH, and a simulated processor.
/// Each tool appends "<tool> <arguments>" to tools.log; `failTool` makes one exit with 1.
/// The recording modprobe also makes or removes /sys/module/msr under the root.
class SystemTree {
public:
    SystemTree();

    QString root() const { return m_folder.path() + QStringLiteral("/root"); }
    QString processor() const { return m_folder.path() + QStringLiteral("/cpu"); }
    QString path(const QString& systemPath) const { return root() + systemPath; }
    QStringList toolCalls() const;
    void failTool(const QString& tool);
    QProcessEnvironment environment() const;

    struct Run {
        int status = -1;
        QByteArray out;
        QByteArray err;
    };
    /// Runs the built quellar-helper without pkexec.
    Run helper(const QStringList& arguments, const QByteArray& input = {},
               const QProcessEnvironment* environment = nullptr) const;

    /// Every file under the root with its content, to show that nothing was written.
    std::map<QString, QByteArray> snapshot() const;

private:
    QTemporaryDir m_folder;
};
