#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>

namespace kelvane::testing {

/// A fake /sys/class/leds under a temporary HW_ROOT, for the real LED backend.
class FakeLedTree {
public:
    FakeLedTree() {
        ::setenv("HW_ROOT", QFile::encodeName(m_root.path()).constData(), 1);
        QDir().mkpath(ledsFolder());
    }
    ~FakeLedTree() { ::unsetenv("HW_ROOT"); }

    QString ledsFolder() const { return m_root.path() + QStringLiteral("/sys/class/leds"); }
    QString ledFolder(const QString& name) const { return ledsFolder() + QLatin1Char('/') + name; }

    void addLed(const QString& name, const QByteArray& maxBrightness,
                const QByteArray& brightness = "0\n") {
        QDir().mkpath(ledFolder(name));
        write(name, QStringLiteral("max_brightness"), maxBrightness);
        write(name, QStringLiteral("brightness"), brightness);
    }
    void write(const QString& name, const QString& file, const QByteArray& bytes) const {
        QFile out(ledFolder(name) + QLatin1Char('/') + file);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(bytes);
    }
    QByteArray brightness(const QString& name) const {
        QFile in(ledFolder(name) + QStringLiteral("/brightness"));
        in.open(QIODevice::ReadOnly);
        return in.readAll().trimmed();
    }
    void makeReadOnly(const QString& name) const {
        QFile::setPermissions(ledFolder(name) + QStringLiteral("/brightness"),
                              QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                  QFileDevice::ReadOther);
    }

    /// Lets another user read the tree, for tests that give up root's rights.
    void allowEveryone() const {
        QFile::setPermissions(m_root.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                 QFileDevice::ExeOther);
    }

private:
    QTemporaryDir m_root;
};

} // namespace kelvane::testing
