#include "quellar/controller/linux/helper_privileged.h"

#include "platform/core/log.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace quellar {

namespace {

// pkexec's answers when the user dismissed the dialog or was not authorized.
constexpr int kDismissed = 126;
constexpr int kNotAuthorized = 127;

} // namespace

HelperPrivileged::HelperPrivileged(QString helper, Mode mode, QProcessEnvironment environment)
    : m_helper(std::move(helper)), m_mode(mode), m_environment(std::move(environment)) {}

QString HelperPrivileged::findHelper(const QString& programFolder) {
    const QDir folder(programFolder);
    for (const QString& candidate :
         {folder.filePath(QStringLiteral("quellar-helper")),
          folder.filePath(QStringLiteral("../libexec/notebook-suite/quellar-helper"))}) {
        if (QFileInfo(candidate).isExecutable())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return {};
}

bool HelperPrivileged::authorize() {
    if (m_helper.isEmpty())
        return false;
    return m_mode == Mode::Direct ||
           !QStandardPaths::findExecutable(QStringLiteral("pkexec")).isEmpty();
}

std::optional<QByteArray> HelperPrivileged::run(const HelperRequest& request,
                                                const QByteArray& input) {
    if (!authorize())
        return std::nullopt;
    QStringList arguments{verbName(request.verb)};
    if (request.verb == HelperVerb::SetControl)
        arguments << QString::number(request.setting);
    QProcess helper;
    helper.setProcessEnvironment(m_environment);
    if (m_mode == Mode::Pkexec) {
        arguments.prepend(m_helper);
        helper.start(QStringLiteral("pkexec"), arguments);
    } else {
        helper.start(m_helper, arguments);
    }
    if (!helper.waitForStarted(10000)) {
        platform::log(QStringLiteral("cannot start %1: %2").arg(m_helper, helper.errorString()));
        return std::nullopt;
    }
    helper.write(input);
    helper.closeWriteChannel();
    // The password dialog may stay open a while; the helper's own work is short.
    if (!helper.waitForFinished(300000)) {
        helper.kill();
        helper.waitForFinished();
        platform::log(QStringLiteral("quellar-helper %1 did not finish")
                          .arg(arguments.join(QLatin1Char(' '))));
        return std::nullopt;
    }
    const QByteArray errors = helper.readAllStandardError().trimmed();
    if (helper.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    const int status = helper.exitCode();
    if (m_mode == Mode::Pkexec && (status == kDismissed || status == kNotAuthorized)) {
        platform::log(
            QStringLiteral("authorization for %1 was refused").arg(verbName(request.verb)));
        return std::nullopt;
    }
    if (status != 0) {
        platform::log(errors.isEmpty()
                          ? QStringLiteral("quellar-helper %1 failed").arg(verbName(request.verb))
                          : QString::fromLocal8Bit(errors));
        return std::nullopt;
    }
    return helper.readAllStandardOutput();
}

} // namespace quellar
