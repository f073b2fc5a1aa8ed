#pragma once

#include "vantir/core/osd_display.h"

#include <QString>

namespace vantir {

/// Plays the program's sounds (resources "sounds/<name>.wav") with the sound server's player,
/// `paplay`. Without the player or the file, says so once and stays silent.
class PaplaySoundPlayer final : public SoundPlayer {
public:
    /// `soundFolder` holds the sounds; `player` is the program that plays a file.
    explicit PaplaySoundPlayer(QString soundFolder, QString player = QStringLiteral("paplay"));
    void play(const QString& name) override;

private:
    QString m_soundFolder;
    QString m_player;
    bool m_saidSilent = false;
};

} // namespace vantir
