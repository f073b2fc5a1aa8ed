#pragma once

#include "quellar/controller/core/privileged.h"

#include <QProcessEnvironment>
#include <QString>

namespace quellar {

/// Runs quellar-helper with administrator rights through pkexec and the polkit action
/// "org.notebooksuite.quellar.helper", or, with `Mode::Direct` (QUELLAR_PRIVILEGED=direct),
/// as the user without pkexec, for tests and users who try the program on a QUELLAR_ROOT tree.
/// Safe to use from any thread.
class HelperPrivileged final : public Privileged {
public:
    enum class Mode { Pkexec, Direct };

    HelperPrivileged(QString helper, Mode mode,
                     QProcessEnvironment environment = QProcessEnvironment::systemEnvironment());

    /// Where the helper is: beside the program in the build, in the suite's libexec folder
    /// once installed. Empty when neither exists.
    static QString findHelper(const QString& programFolder);

    bool authorize() override;
    void deauthenticate() override {}
    std::optional<QByteArray> run(const HelperRequest& request, const QByteArray& input) override;

private:
    QString m_helper;
    Mode m_mode;
    QProcessEnvironment m_environment;
};

} // namespace quellar
