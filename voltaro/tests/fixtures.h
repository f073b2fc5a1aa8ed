#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>
#include <optional>

namespace voltaro::fakes {

/// A file of our own fixtures (voltaro/tests/fixtures); a missing one fails the test.
inline QByteArray fixture(const QString& name) {
    QFile file(QStringLiteral(VOLTARO_FIXTURES_DIR "/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << "no fixture " << qPrintable(file.fileName());
    return file.readAll();
}

/// A file of the real tools' output kept beside the project, when that folder is at hand.
inline std::optional<QByteArray> capture(const QString& name) {
    QFile file(QStringLiteral(VOLTARO_CAPTURES_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

/// Why a test of captured output does not run.
inline const char* const kNoCaptures =
    "the captured tool output (" VOLTARO_CAPTURES_DIR ") is not here";

} // namespace voltaro::fakes
