#include "system_tree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>

#include <cstdlib>

namespace {

void writeScript(const QString& path, const QByteArray& body) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        std::abort();
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace

SystemTree::SystemTree() {
    QDir(m_folder.path()).mkpath(QStringLiteral("root"));
    QDir(m_folder.path()).mkpath(QStringLiteral("tools"));
    const QString tools = m_folder.path() + QStringLiteral("/tools/");
    const QByteArray record = "echo \"$(basename \"$0\") $*\" >> \"" + m_folder.path().toUtf8() +
                              "/tools.log\"\n"
                              "[ -e \"" +
                              m_folder.path().toUtf8() + "/fail-$(basename \"$0\")\" ] && exit 1\n";
    writeScript(tools + QStringLiteral("systemctl"), record + "exit 0\n");
    writeScript(tools + QStringLiteral("reboot"), record + "exit 0\n");
    writeScript(tools + QStringLiteral("modprobe"),
                record + "if [ \"$1\" = -r ]; then rmdir \"$QUELLAR_ROOT/sys/module/msr\"; "
                         "else mkdir -p \"$QUELLAR_ROOT/sys/module/msr\"; fi\nexit 0\n");
    const int made = QProcess::execute(QString::fromUtf8(std::getenv("QUELLAR_SIM")),
                                       {QStringLiteral("init"), processor()});
    if (made != 0)
        std::abort();
}

QStringList SystemTree::toolCalls() const {
    QFile log(m_folder.path() + QStringLiteral("/tools.log"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void SystemTree::failTool(const QString& tool) {
    QFile flag(m_folder.path() + QStringLiteral("/fail-") + tool);
    flag.open(QIODevice::WriteOnly);
}

QProcessEnvironment SystemTree::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUELLAR_ROOT"), root());
    environment.insert(QStringLiteral("QUELLAR_PRIVILEGED"), QStringLiteral("direct"));
    environment.insert(QStringLiteral("QUELLAR_DRIVER"), QStringLiteral("sim:") + processor());
    environment.insert(QStringLiteral("PATH"), m_folder.path() + QStringLiteral("/tools:") +
                                                   environment.value(QStringLiteral("PATH")));
    environment.remove(QStringLiteral("PKEXEC_UID"));
    return environment;
}

SystemTree::Run SystemTree::helper(const QStringList& arguments, const QByteArray& input,
                                   const QProcessEnvironment* environment) const {
    QProcess process;
    process.setProcessEnvironment(environment ? *environment : this->environment());
    process.start(QString::fromUtf8(std::getenv("QUELLAR_HELPER")), arguments);
    Run run;
    if (!process.waitForStarted(10000))
        return run;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

std::map<QString, QByteArray> SystemTree::snapshot() const {
    std::map<QString, QByteArray> files;
    QDirIterator walk(root(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                      QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        const QString path = walk.next();
        QFile file(path);
        files[path] = walk.fileInfo().isSymLink()
                          ? QByteArray("->") + walk.fileInfo().symLinkTarget().toUtf8()
                      : file.open(QIODevice::ReadOnly) ? file.readAll()
                                                       : QByteArray("<folder>");
    }
    return files;
}
