#include "voltaro/tests/fake_tree.h"

#include "platform/core/file_io.h"

#include <gtest/gtest.h>

namespace voltaro::fakes {

FakeTree::FakeTree() = default;

void FakeTree::write(const QString& path, const QByteArray& content) {
    ASSERT_TRUE(platform::writeFileAtomically(root() + QLatin1Char('/') + path, content));
}

void FakeTree::supply(const QString& name, const QMap<QString, QByteArray>& attributes) {
    for (auto it = attributes.begin(); it != attributes.end(); ++it)
        write(QStringLiteral("sys/class/power_supply/%1/%2").arg(name, it.key()),
              it.value() + '\n');
}

void FakeTree::chargeBattery(const QString& name, int nowMah, int fullMah, int designMah,
                             int cycles) {
    QMap<QString, QByteArray> attributes{
        {QStringLiteral("type"), "Battery"},
        {QStringLiteral("present"), "1"},
        {QStringLiteral("status"), "Discharging"},
        {QStringLiteral("charge_now"), QByteArray::number(qint64(nowMah) * 1000)},
        {QStringLiteral("charge_full"), QByteArray::number(qint64(fullMah) * 1000)},
        {QStringLiteral("charge_full_design"), QByteArray::number(qint64(designMah) * 1000)},
    };
    if (cycles >= 0)
        attributes.insert(QStringLiteral("cycle_count"), QByteArray::number(cycles));
    supply(name, attributes);
}

void FakeTree::adapter(bool online) {
    supply(QStringLiteral("AC"),
           {{QStringLiteral("type"), "Mains"}, {QStringLiteral("online"), online ? "1" : "0"}});
}

FakeTree::Run FakeTree::tool(const QString& name, const QStringList& arguments) const {
    return run(qEnvironmentVariable("VOLTARO_TOOLS_DIR") + QLatin1Char('/') + name, arguments);
}

FakeTree::Run FakeTree::voltaro(const QStringList& arguments) const {
    return run(qEnvironmentVariable("VOLTARO_BIN"), arguments);
}

FakeTree::Run FakeTree::shell(const QString& commandLine) const {
    return run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), commandLine});
}

FakeTree::Run FakeTree::run(const QString& program, const QStringList& arguments) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HW_ROOT"), root());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       m_home.path() + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path() + QStringLiteral("/data"));
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("VOLTARO_TOOLS_DIR") +
                                                   QStringLiteral(":/usr/bin:/bin"));
    environment.remove(QStringLiteral("VOLTARO_TOOLS"));
    // --print needs no display.
    return platform::doubles::runWithoutDisplay(program, arguments, environment);
}

QString printed(const QByteArray& output, const QString& label) {
    const QString prefix = label + QStringLiteral(": ");
    for (const QString& line : QString::fromUtf8(output).split(QLatin1Char('\n'))) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    }
    return QStringLiteral("<no line %1>").arg(label);
}

} // namespace voltaro::fakes
