#include "quellar/controller/linux/system_files.h"

#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quellar {

namespace {

using platform::Error;

constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

Error failure(const QString& what, const QString& path) {
    return Error{
        QStringLiteral("%1 %2: %3").arg(what, path, QString::fromLocal8Bit(std::strerror(errno)))};
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written =
            ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

platform::Expected<SystemFiles> SystemFiles::open(const QString& root) {
    if (!root.startsWith(QLatin1Char('/')))
        return Error{QStringLiteral("the root %1 is not an absolute path").arg(root)};
    for (const QString& part : root.split(QLatin1Char('/'))) {
        if (part == QStringLiteral(".") || part == QStringLiteral(".."))
            return Error{QStringLiteral("the root %1 holds \".\" or \"..\"").arg(root)};
    }
    struct stat info;
    if (::stat(root.toLocal8Bit().constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return Error{QStringLiteral("the root %1 is no folder").arg(root)};
    QString trimmed = root;
    while (trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    return SystemFiles(trimmed);
}

QString SystemFiles::pathOf(const char* path) const {
    return m_root + QString::fromUtf8(path);
}

platform::Expected<void> SystemFiles::checkFolders(const char* path, bool create) const {
    const QStringList parts = QString::fromUtf8(path).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString folder = m_root;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        folder += QLatin1Char('/') + parts[i];
        const QByteArray local = folder.toLocal8Bit();
        struct stat info;
        if (::lstat(local.constData(), &info) != 0) {
            if (errno != ENOENT || !create)
                return failure(QStringLiteral("cannot look at"), folder);
            if (::mkdir(local.constData(), 0755) != 0 && errno != EEXIST)
                return failure(QStringLiteral("cannot create"), folder);
            continue;
        }
        if (S_ISLNK(info.st_mode))
            return Error{QStringLiteral("refusing to go through the symbolic link %1").arg(folder)};
        if (!S_ISDIR(info.st_mode))
            return Error{QStringLiteral("%1 is not a folder").arg(folder)};
    }
    const QString file = pathOf(path);
    struct stat info;
    if (::lstat(file.toLocal8Bit().constData(), &info) == 0 && S_ISLNK(info.st_mode))
        return Error{QStringLiteral("refusing to replace the symbolic link %1").arg(file)};
    return {};
}

platform::Expected<void> SystemFiles::write(const char* path, const QByteArray& bytes,
                                            mode_t mode) const {
    if (auto checked = checkFolders(path, true); !checked)
        return checked;
    const QString target = pathOf(path);
    const QByteArray final = target.toLocal8Bit();
    const QByteArray temporary = final + ".new-" + QByteArray::number(::getpid());
    ::unlink(temporary.constData());
    Descriptor fd(
        ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.get() < 0)
        return failure(QStringLiteral("cannot create"), QString::fromLocal8Bit(temporary));
    const bool written = writeAll(fd.get(), bytes) && ::fchmod(fd.get(), mode) == 0 &&
                         (::geteuid() != 0 || ::fchown(fd.get(), 0, 0) == 0) &&
                         ::fsync(fd.get()) == 0;
    if (!written || ::close(fd.release()) != 0) {
        const Error error =
            failure(QStringLiteral("cannot write"), QString::fromLocal8Bit(temporary));
        ::unlink(temporary.constData());
        return error;
    }
    if (::rename(temporary.constData(), final.constData()) != 0) {
        const Error error = failure(QStringLiteral("cannot replace"), target);
        ::unlink(temporary.constData());
        return error;
    }
    return {};
}

platform::Expected<void> SystemFiles::remove(const char* path) const {
    const QString target = pathOf(path);
    const QByteArray local = target.toLocal8Bit();
    struct stat info;
    if (::lstat(local.constData(), &info) != 0 && errno == ENOENT)
        return {};
    if (auto checked = checkFolders(path, false); !checked)
        return checked;
    if (::unlink(local.constData()) != 0 && errno != ENOENT)
        return failure(QStringLiteral("cannot remove"), target);
    return {};
}

platform::Expected<QByteArray> SystemFiles::read(const char* path) const {
    if (auto checked = checkFolders(path, false); !checked)
        return Error{checked.error()};
    const QString source = pathOf(path);
    Descriptor fd(::open(source.toLocal8Bit().constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0)
        return failure(QStringLiteral("cannot read"), source);
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return failure(QStringLiteral("cannot read"), source);
        if (got == 0)
            return bytes;
        bytes.append(buffer, got);
        if (bytes.size() > kMaxFileBytes)
            return Error{QStringLiteral("%1 is too large").arg(source)};
    }
}

} // namespace quellar
