#include "vantir/linux/sound_player.h"

#include "platform/core/log.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace vantir {

PaplaySoundPlayer::PaplaySoundPlayer(QString soundFolder, QString player)
    : m_soundFolder(std::move(soundFolder)), m_player(std::move(player)) {}

void PaplaySoundPlayer::play(const QString& name) {
    const QString file = m_soundFolder + QLatin1Char('/') + name + QStringLiteral(".wav");
    const QString player = QStandardPaths::findExecutable(m_player);
    if (player.isEmpty() || !QFileInfo(file).isFile()) {
        if (!m_saidSilent)
            platform::log(player.isEmpty()
                              ? QStringLiteral("%1 not found: sounds are off").arg(m_player)
                              : QStringLiteral("sound %1 not found").arg(file));
        m_saidSilent = true;
        return;
    }
    // Detached, so that a slow or missing sound server never holds up the remote.
    if (!QProcess::startDetached(player, {file}) && !m_saidSilent) {
        platform::log(QStringLiteral("cannot start %1: sounds are off").arg(player));
        m_saidSilent = true;
    }
}

} // namespace vantir
