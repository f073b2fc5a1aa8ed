#pragma once

#include "platform/testing/program_run.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace voltaro::fakes {

/// A fake /sys (and /proc) in a temporary folder, and the programs run on it.
class FakeTree {
public:
    FakeTree();

    QString root() const { return m_root.path(); }

    /// Writes a file of the tree ("sys/class/power_supply/BAT0/charge_now").
    void write(const QString& path, const QByteArray& content);
    /// A supply with its attribute files, one per entry ("charge_now" → "4000000").
    void supply(const QString& name, const QMap<QString, QByteArray>& attributes);
    /// A charge_* battery in µAh, discharging; `cycles` < 0 leaves cycle_count out.
    void chargeBattery(const QString& name, int nowMah, int fullMah, int designMah, int cycles);
    void adapter(bool online);

    using Run = platform::doubles::ProgramRun;
    /// Runs a stand-in ("ioreg", "system_profiler") on the tree.
    Run tool(const QString& name, const QStringList& arguments) const;
    /// Runs Voltaro on the tree.
    Run voltaro(const QStringList& arguments) const;
    /// A shell pipeline on the tree, with the stand-ins on PATH.
    Run shell(const QString& commandLine) const;

private:
    Run run(const QString& program, const QStringList& arguments) const;

    QTemporaryDir m_root;
    QTemporaryDir m_home;
};

/// The value of a "label: value" line of `--print`.
QString printed(const QByteArray& output, const QString& label);

} // namespace voltaro::fakes
