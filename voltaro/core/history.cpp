#include "voltaro/core/history.h"

#include "platform/core/data_folder.h"
#include "platform/core/file_io.h"
#include "platform/core/log.h"
#include "platform/core/property_list.h"
#include "voltaro/core/leading_integer.h"

#include <QDir>
#include <QFileInfo>

namespace voltaro {

namespace {

const QString kEntity = QStringLiteral("SavedData");
const QString kDate = QStringLiteral("date");
const QString kCapacity = QStringLiteral("capacity");
const QString kStoreFile = QStringLiteral("Voltaro.xml");

} // namespace

QByteArray encodeHistory(const std::vector<SavedData>& records) {
    platform::Array array;
    for (const SavedData& record : records)
        array.push_back(
            platform::Value::newDictionary({{kDate, record.date}, {kCapacity, record.capacity}}));
    auto bytes = platform::writeXmlPropertyList(
        platform::Value::newDictionary({{kEntity, platform::Value::newArray(std::move(array))}}));
    // Text without NUL always writes.
    return bytes ? *bytes : QByteArray();
}

platform::Expected<std::vector<SavedData>> decodeHistory(const QByteArray& bytes,
                                                         QStringList* skipped) {
    auto root = platform::readPropertyList(bytes);
    if (!root)
        return platform::Error{root.error()};
    const platform::ArrayRef array = (*root)[kEntity].toArray();
    if (!array)
        return platform::Error{QStringLiteral("the file holds no \"SavedData\" list")};
    std::vector<SavedData> records;
    qsizetype number = 0;
    for (const platform::Value& item : *array) {
        ++number;
        const platform::Value date = item[kDate];
        const platform::Value capacity = item[kCapacity];
        if (date.type() != platform::Value::Type::String ||
            capacity.type() != platform::Value::Type::String) {
            if (skipped)
                *skipped << QStringLiteral("record %1 lacks its date or capacity text").arg(number);
            continue;
        }
        records.push_back({date.toString(), capacity.toString()});
    }
    return records;
}

HistoryContext::HistoryContext(QString storePath) : m_storePath(std::move(storePath)) {}

void HistoryContext::insert(SavedData record) {
    m_records.push_back(std::move(record));
    changed();
}

void HistoryContext::insertAt(std::size_t row, SavedData record) {
    row = std::min(row, m_records.size());
    m_records.insert(m_records.begin() + std::ptrdiff_t(row), std::move(record));
    changed();
}

void HistoryContext::removeAt(std::size_t row) {
    if (row >= m_records.size())
        return;
    m_records.erase(m_records.begin() + std::ptrdiff_t(row));
    changed();
}

void HistoryContext::changed() {
    m_changed = true;
    if (onChange)
        onChange();
}

platform::Expected<void> HistoryContext::save() {
    if (!m_changed)
        return {};
    if (m_storePath.isEmpty())
        return platform::Error{QStringLiteral("the history has no store to save to")};
    if (m_keepOriginalAside && QFileInfo::exists(m_storePath)) {
        auto aside = platform::moveAside(m_storePath);
        if (!aside)
            return platform::Error{
                QStringLiteral("the original history could not be kept: %1").arg(aside.error())};
        platform::log(QStringLiteral("the original history is kept as %1").arg(*aside));
        m_keepOriginalAside = false;
    }
    auto written = platform::writeFileAtomically(m_storePath, encodeHistory(m_records));
    if (!written)
        return written;
    m_changed = false;
    return {};
}

Voltaro_AppDelegate::Voltaro_AppDelegate(platform::Alerts& alerts, QString folder)
    : m_alerts(alerts), m_folder(std::move(folder)) {}

Voltaro_AppDelegate::~Voltaro_AppDelegate() = default;

QString Voltaro_AppDelegate::applicationSupportFolder() {
    return platform::dataFolder(QStringLiteral("Voltaro"));
}

QString Voltaro_AppDelegate::storePath() const {
    return m_folder + QLatin1Char('/') + kStoreFile;
}

HistoryContext& Voltaro_AppDelegate::managedObjectContext() {
    if (m_context)
        return *m_context;
    QDir().mkpath(m_folder); // a failure shows when saving
    const QString path = storePath();
    m_context = std::make_unique<HistoryContext>(path);
    if (!QFileInfo::exists(path))
        return *m_context;
    auto bytes = platform::readFile(path);
    QStringList skipped;
    auto records = bytes
                       ? decodeHistory(*bytes, &skipped)
                       : platform::Expected<std::vector<SavedData>>(platform::Error{bytes.error()});
    if (records) {
        for (const QString& line : skipped)
            platform::log(QStringLiteral("history %1: %2 and is left out").arg(path, line));
        m_context->m_records = std::move(records).value();
        m_context->m_keepOriginalAside = !skipped.isEmpty();
        return *m_context;
    }
    // Keep the unreadable file, out of the way of the next save.
    const QString reason = records.error();
    auto aside = platform::moveAside(path);
    QString details;
    if (aside) {
        details = QStringLiteral("%1\n\nThe file was kept as %2, and the history starts empty.")
                      .arg(reason, *aside);
    } else {
        details = QStringLiteral("%1\n\n%2. The history cannot be saved in this session.")
                      .arg(reason, aside.error());
        m_context = std::make_unique<HistoryContext>();
    }
    platform::log(QStringLiteral("history %1 unreadable: %2").arg(path, reason));
    presentError(QStringLiteral("The history could not be read."), details);
    return *m_context;
}

bool Voltaro_AppDelegate::saveAction() {
    auto saved = managedObjectContext().save();
    if (!saved)
        presentError(QStringLiteral("The history could not be saved."), saved.error());
    return saved.ok();
}

Voltaro_AppDelegate::TerminateReply
Voltaro_AppDelegate::applicationShouldTerminate(const std::function<bool()>& commitEditing) {
    if (!m_context)
        return TerminateReply::TerminateNow;
    if (commitEditing && !commitEditing())
        return TerminateReply::TerminateCancel;
    if (!m_context->hasChanges())
        return TerminateReply::TerminateNow;
    auto saved = m_context->save();
    if (saved)
        return TerminateReply::TerminateNow;
    // Our error presentation offers no recovery, so it never reports one.
    presentError(QStringLiteral("The history could not be saved."), saved.error());
    platform::Alert alert;
    alert.messageText = QStringLiteral("Could not save changes while quitting. Quit anyway?");
    alert.buttons = {QStringLiteral("Quit anyway"), QStringLiteral("Cancel")};
    return m_alerts.runModal(alert) == platform::AlertResponse::First
               ? TerminateReply::TerminateNow
               : TerminateReply::TerminateCancel;
}

void Voltaro_AppDelegate::presentError(const QString& message, const QString& details) {
    platform::Alert alert;
    alert.style = platform::AlertStyle::Critical;
    alert.messageText = message;
    alert.informativeText = details;
    m_alerts.runModal(alert);
}

std::optional<int> capacityPercentOf(const QString& capacityText) {
    return leadingIntegerIfAny(capacityText);
}

} // namespace voltaro
