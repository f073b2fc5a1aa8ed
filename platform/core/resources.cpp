#include "platform/core/resources.h"

#include "platform/core/file_io.h"
#include "platform/core/log.h"
#include "platform/core/property_list.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

namespace {

QString executableFolder() {
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

} // namespace

Resources::Resources(const QString& program) {
    const QString candidates[] = {
        executableFolder() + QStringLiteral("/../share/notebook-suite/") + program,
        QStringLiteral(SUITE_SOURCE_DIR "/") + program + QStringLiteral("/resources"),
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isDir()) {
            m_folder = QDir::cleanPath(candidate);
            return;
        }
    }
}

QString Resources::pathForResource(const QString& name, const QString& type) const {
    if (m_folder.isEmpty() || name.isEmpty())
        return {};
    const QString file = type.isEmpty() ? name : name + QLatin1Char('.') + type;
    const QString path = m_folder + QLatin1Char('/') + file;
    return QFileInfo(path).isFile() ? path : QString();
}

Expected<StringsTable> StringsTable::parse(QByteArrayView propertyList) {
    auto root = readPropertyList(propertyList);
    if (!root)
        return Error{root.error()};
    auto entries = root->toDictionary();
    if (!entries)
        return Error{QStringLiteral("a strings table is a dictionary")};
    StringsTable table;
    for (const auto& [key, value] : *entries) {
        if (value.type() != Value::Type::String)
            return Error{QStringLiteral("the text of \"%1\" is not a string").arg(key)};
        table.m_texts.insert(key, value.toString());
    }
    return table;
}

StringsTable StringsTable::load(const Resources& resources, const QString& name) {
    const QString path =
        resources.pathForResource(QStringLiteral("strings/") + name, QStringLiteral("plist"));
    if (path.isEmpty()) {
        log(QStringLiteral("strings table %1 not found").arg(name));
        return {};
    }
    auto bytes = readFile(path);
    if (!bytes) {
        log(bytes.error());
        return {};
    }
    auto table = parse(*bytes);
    if (!table) {
        log(QStringLiteral("strings table %1: %2").arg(path, table.error()));
        return {};
    }
    return std::move(table).value();
}

} // namespace platform
