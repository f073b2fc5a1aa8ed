#include "platform/core/defaults.h"

#include "platform/core/file_io.h"
#include "platform/core/log.h"
#include "platform/core/property_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace platform {

namespace {

bool isValidDomainName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

// Strings count as numbers and switches the way settings written by hand expect.
bool boolFrom(const Value& value) {
    if (value.type() != Value::Type::String)
        return value.toBool();
    const QString text = value.toString().trimmed();
    if (text.compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0 ||
        text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    return text.toLongLong() != 0;
}

qint64 integerFrom(const Value& value) {
    if (value.type() != Value::Type::String)
        return value.toInteger();
    const QString text = value.toString().trimmed();
    bool ok = false;
    const qint64 integer = text.toLongLong(&ok);
    return ok ? integer : Value(text.toDouble()).toInteger();
}

double realFrom(const Value& value) {
    if (value.type() != Value::Type::String)
        return value.toReal();
    return value.toString().trimmed().toDouble();
}

} // namespace

Defaults::Defaults(QString domain, QString folder)
    : m_domain(std::move(domain)), m_folder(std::move(folder)) {
    assert(isValidDomainName(m_domain) && "a domain name is a plain file name");
    m_values = load(m_domain);
}

Defaults::~Defaults() {
    synchronize();
}

QString Defaults::configFolder() {
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir::homePath() + QStringLiteral("/.config");
}

QString Defaults::pathForDomain(const QString& name) const {
    if (!isValidDomainName(name))
        return {};
    return m_folder + QLatin1Char('/') + name + QStringLiteral(".plist");
}

Dictionary Defaults::load(const QString& name) const {
    const QString path = pathForDomain(name);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return {};
    auto bytes = readFile(path);
    if (!bytes) {
        // Unreadable through permissions: leave it where it is, the next write fails loudly.
        log(bytes.error());
        return {};
    }
    auto root = readPropertyList(*bytes);
    if (root && root->type() == Value::Type::Dictionary)
        return *root->toDictionary();
    const QString why = root ? QStringLiteral("not a dictionary") : root.error();
    auto aside = moveAside(path);
    log(QStringLiteral("defaults %1 unreadable (%2); %3; starting empty")
            .arg(path, why,
                 aside ? QStringLiteral("kept as %1").arg(*aside)
                       : QStringLiteral("could not move it aside")));
    return {};
}

Value Defaults::objectForKey(const QString& key) const {
    auto it = m_values.find(key);
    if (it != m_values.end())
        return it->second.deepCopy();
    it = m_registered.find(key);
    return it != m_registered.end() ? it->second.deepCopy() : Value();
}

bool Defaults::boolForKey(const QString& key) const {
    return boolFrom(objectForKey(key));
}

qint64 Defaults::integerForKey(const QString& key) const {
    return integerFrom(objectForKey(key));
}

double Defaults::floatForKey(const QString& key) const {
    return realFrom(objectForKey(key));
}

QString Defaults::stringForKey(const QString& key) const {
    return objectForKey(key).toString();
}

QByteArray Defaults::dataForKey(const QString& key) const {
    return objectForKey(key).toData();
}

QDateTime Defaults::dateForKey(const QString& key) const {
    return objectForKey(key).toDate();
}

ArrayRef Defaults::arrayForKey(const QString& key) const {
    return objectForKey(key).toArray();
}

DictionaryRef Defaults::dictionaryForKey(const QString& key) const {
    return objectForKey(key).toDictionary();
}

void Defaults::setObject(const Value& value, const QString& key) {
    if (value.isNone()) {
        removeObjectForKey(key);
        return;
    }
    m_values[key] = value.deepCopy();
    m_dirty = true;
}

void Defaults::removeObjectForKey(const QString& key) {
    m_dirty = m_values.erase(key) > 0 || m_dirty;
}

void Defaults::registerDefaults(const Dictionary& defaults) {
    for (const auto& [key, value] : defaults)
        m_registered[key] = value.deepCopy();
}

bool Defaults::synchronize() {
    if (!m_dirty)
        return true;
    auto written = setPersistentDomain(m_values, m_domain);
    if (!written) {
        log(written.error());
        return false;
    }
    return true;
}

DictionaryRef Defaults::persistentDomainForName(const QString& name) const {
    if (name == m_domain)
        return std::make_shared<Dictionary>(deepCopy(m_values));
    const QString path = pathForDomain(name);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return nullptr;
    Dictionary values = load(name);
    if (!QFileInfo::exists(path))
        return nullptr;
    return std::make_shared<Dictionary>(std::move(values));
}

Expected<void> Defaults::setPersistentDomain(const Dictionary& domain, const QString& name) {
    const QString path = pathForDomain(name);
    if (path.isEmpty())
        return Error{QStringLiteral("invalid defaults domain name \"%1\"").arg(name)};
    auto xml = writeXmlPropertyList(Value::newDictionary(domain));
    if (!xml)
        return Error{QStringLiteral("cannot store defaults %1: %2").arg(name, xml.error())};
    auto written = writeFileAtomically(path, *xml);
    if (!written)
        return written;
    if (name == m_domain) {
        m_values = deepCopy(domain);
        m_dirty = false;
    }
    return {};
}

Expected<void> Defaults::removePersistentDomainForName(const QString& name) {
    const QString path = pathForDomain(name);
    if (path.isEmpty())
        return Error{QStringLiteral("invalid defaults domain name \"%1\"").arg(name)};
    if (name == m_domain) {
        m_values.clear();
        m_dirty = false;
    }
    if (QFileInfo::exists(path) && !QFile::remove(path))
        return Error{QStringLiteral("cannot remove %1").arg(path)};
    return {};
}

} // namespace platform
