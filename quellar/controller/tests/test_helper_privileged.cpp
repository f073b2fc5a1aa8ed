// pkexec's answers: a dismissed or refused authorization makes the operation fail.

#include "quellar/controller/linux/helper_privileged.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quellar;

namespace {

// A pkexec that records its arguments and answers with `status`.
class FakePkexec {
public:
    explicit FakePkexec(int status) {
        QFile script(m_folder.filePath(QStringLiteral("pkexec")));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\necho \"$@\" > \"" +
                     m_folder.filePath(QStringLiteral("args")).toUtf8() +
                     "\"\necho printed\nexit " + QByteArray::number(status) + "\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        m_path = qgetenv("PATH");
        qputenv("PATH", m_folder.path().toUtf8() + ':' + m_path);
    }
    ~FakePkexec() { qputenv("PATH", m_path); }
    QByteArray arguments() const {
        QFile file(m_folder.filePath(QStringLiteral("args")));
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
    }

private:
    QTemporaryDir m_folder;
    QByteArray m_path;
};

} // namespace

TEST(HelperPrivileged, RunsTheHelperThroughPkexec) {
    FakePkexec pkexec(0);
    HelperPrivileged privileged(QStringLiteral("/usr/libexec/notebook-suite/quellar-helper"),
                                HelperPrivileged::Mode::Pkexec);
    ASSERT_TRUE(privileged.authorize());
    HelperRequest request{HelperVerb::SetControl};
    request.setting = 3102;
    const auto printed = privileged.run(request, {});
    ASSERT_TRUE(printed);
    EXPECT_EQ(printed->trimmed(), "printed");
    EXPECT_EQ(pkexec.arguments(), "/usr/libexec/notebook-suite/quellar-helper set-control 3102");
}

TEST(HelperPrivileged, ADismissedOrRefusedAuthorizationFails) {
    for (const int status : {126, 127, 1}) {
        FakePkexec pkexec(status);
        HelperPrivileged privileged(QStringLiteral("/usr/libexec/notebook-suite/quellar-helper"),
                                    HelperPrivileged::Mode::Pkexec);
        EXPECT_FALSE(privileged.run({HelperVerb::EnableDaemon}, {})) << status;
    }
}

TEST(HelperPrivileged, WithoutAHelperNothingIsAuthorized) {
    HelperPrivileged privileged(QString(), HelperPrivileged::Mode::Direct);
    EXPECT_FALSE(privileged.authorize());
    EXPECT_FALSE(privileged.run({HelperVerb::Reboot}, {}));
}
