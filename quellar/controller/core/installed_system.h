#pragma once

#include "quellar/controller/core/choice_lists.h"

#include <QString>

#include <optional>

namespace quellar {

/// What the controller reads of the system without rights: the installed pieces and their
/// versions, the governors, the machine model and the factory states. Every system path is
/// read under `root` (QUELLAR_ROOT, "/" by default); hardware files under HW_ROOT.
class InstalledSystem {
public:
    struct Locations {
        QString root = QStringLiteral("/");
        /// The QuellarSwitcher that came with the controller (the "resource copy").
        QString bundledDaemon;
        /// The simulated processor's folder, when QUELLAR_DRIVER=sim:DIR.
        QString simulatedProcessor;
    };
    explicit InstalledSystem(Locations locations);

    QString pathOf(const char* systemPath) const;

    bool driverInstalled() const;
    bool daemonInstalled() const;
    bool launchDaemonInstalled() const;
    /// `fileIsMissing`: the driver, the daemon program or the launch-daemon file is missing.
    bool fileIsMissing() const;

    /// False when the installed driver has no version stamp; else the comparison of the
    /// version parts with the bundled `kDriverVersion`.
    bool kextUpToDate() const;
    /// The version that `program -v` prints (0 when missing or silent, 0.1 for an early daemon).
    static double checkSwitcher(const QString& program);
    bool daemonUpToDate() const;
    /// The msr module is loaded (or the simulated processor exists).
    bool checkKext() const;

    /// The control number of the governors: 0 when every processor runs the daemon's governor
    /// (or there is no cpufreq at all, so the daemon holds the processor alone), 1 when another
    /// governor runs.
    int controlId() const;
    /// Whether cpufreq offers governors at all.
    bool hasGovernors() const;
    /// The kept governor's number: 1 when one was kept, else `fallback`.
    int readBackup(int fallback) const;

    /// The model text, from the firmware's product name.
    QString machineModel() const;
    /// Factory states: the simulated processor's list, else the processor's own limits from
    /// its status words (`statusLow`, `statusHigh`), else the older settings file.
    PowerStates factoryStates(std::optional<std::int32_t> statusLow,
                              std::optional<std::int32_t> statusHigh) const;
    /// The older settings file's "DefaultValues".
    PowerStates oldSettings() const;

    const Locations& locations() const { return m_locations; }

private:
    Locations m_locations;
};

/// Compares dotted versions as the driver update does: false for different numbers of parts,
/// true for equal texts, else part by part as integers.
bool versionUpToDate(const QString& installed, const QString& bundled);

/// The processor's own two states, highest and lowest, from its status words; none when
/// either word is missing or names no ratio.
PowerStates statesFromLimits(std::optional<std::int32_t> statusLow,
                             std::optional<std::int32_t> statusHigh);

} // namespace quellar
