#include "vantir/core/repository.h"

#include "platform/core/alerts.h"
#include "platform/core/data_folder.h"
#include "platform/core/file_io.h"
#include "platform/core/log.h"
#include "platform/core/process.h"
#include "platform/core/property_list.h"
#include "vantir/core/collections.h"
#include "vantir/core/localized.h"
#include "vantir/core/preferences.h"

#include <QDir>
#include <QFileInfo>

namespace vantir {

namespace {

const QString kLibrary = QStringLiteral("Library");
const QString kRemotes = QStringLiteral("Remotes");
const QString kVersion = QStringLiteral("Version");
const QString kAlertTitle = QStringLiteral("Vantir Alert");

DictionaryRef emptyArchive() {
    return std::make_shared<Dictionary>(
        Dictionary{{kLibrary, Value::newArray()}, {kRemotes, Value::newArray()}});
}

QString userDesktopFolder() {
    const auto answer =
        platform::runProgram(QStringLiteral("xdg-user-dir"), {QStringLiteral("DESKTOP")});
    if (answer && answer->exitStatus == 0) {
        const QString folder = QString::fromUtf8(answer->standardOutput).trimmed();
        if (!folder.isEmpty())
            return folder;
    }
    return QDir::homePath() + QStringLiteral("/Desktop");
}

} // namespace

platform::Expected<DictionaryRef> parseArchive(QByteArrayView bytes) {
    auto root = platform::readPropertyList(bytes);
    if (!root)
        return platform::Error{root.error()};
    DictionaryRef archive = root->toDictionary();
    if (!archive)
        return platform::Error{QStringLiteral("the archive is a %1, not a dictionary")
                                   .arg(QLatin1String(platform::typeName(root->type())))};
    for (const QString& key : {kLibrary, kRemotes}) {
        auto it = archive->find(key);
        if (it != archive->end() && it->second.type() != Value::Type::Array)
            return platform::Error{
                QStringLiteral("the archive's \"%1\" is a %2, not a list")
                    .arg(key, QLatin1String(platform::typeName(it->second.type())))};
    }
    return archive;
}

VNTRepository::VNTRepository(ModelContext& model, RepositoryServices services)
    : m_model(model), m_services(std::move(services)), m_libraries(emptyArchive()) {
    if (!m_model.m_repository)
        m_model.m_repository = this;
}

VNTRepository::~VNTRepository() {
    if (m_model.m_repository == this)
        m_model.m_repository = nullptr;
}

VNTRepository* VNTRepository::sharedRepository() {
    const ModelContext* context = ModelContext::current();
    return context ? context->repository() : nullptr;
}

QString VNTRepository::applicationSupportDirectory(const QString& name) {
    const QString folder = platform::dataFolder(QStringLiteral("Vantir"));
    return name.isEmpty() ? folder : folder + QLatin1Char('/') + name;
}

QString VNTRepository::archiveFilename() const {
    const QString folder = m_services.archiveFolder.isEmpty() ? applicationSupportDirectory()
                                                              : m_services.archiveFolder;
    QDir().mkpath(folder);
    return folder + QStringLiteral("/archive.xml");
}

QString VNTRepository::backupFilename() const {
    const QString folder =
        m_services.desktopFolder.isEmpty() ? userDesktopFolder() : m_services.desktopFolder;
    return folder + QStringLiteral("/Vantir08Backup.xml");
}

ArrayRef VNTRepository::library() const {
    return Value(m_libraries)[kLibrary].toArray();
}

ArrayRef VNTRepository::remotes() const {
    return Value(m_libraries)[kRemotes].toArray();
}

std::vector<VNTTriggerLayer> VNTRepository::layersOfFirstRemote() const {
    std::vector<VNTTriggerLayer> layers;
    const VNTRemote remote(VNTMutableDictionary::of(firstObject(remotes())));
    if (const ArrayRef list = remote.layers()) {
        for (const Value& item : *list) {
            if (const VNTTriggerLayer layer{VNTMutableDictionary::of(item)})
                layers.push_back(layer);
        }
    }
    return layers;
}

DictionaryRef VNTRepository::readUserArchive(const QString& path, QByteArray& bytesRead) {
    auto bytes = platform::readFile(path);
    auto archive = bytes ? parseArchive(*bytes)
                         : platform::Expected<DictionaryRef>(platform::Error{bytes.error()});
    if (archive) {
        bytesRead = *bytes;
        return *archive;
    }
    platform::log(QStringLiteral("cannot load the archive %1: %2").arg(path, archive.error()));
    if (m_services.mode == LoadMode::Inspect)
        return nullptr;
    // Left in place, the next save would replace the user's archive with an empty one.
    const auto aside = platform::moveAside(path);
    if (aside) {
        platform::log(QStringLiteral("kept the unreadable archive as %1").arg(*aside));
        alert(kAlertTitle,
              QStringLiteral("Your archive of actions could not be read (%1).\n\nIt has been kept "
                             "as '%2', and Vantir starts with an empty archive.")
                  .arg(archive.error(), *aside),
              {QStringLiteral("OK")});
        return nullptr;
    }
    m_saveRefused = true;
    platform::log(aside.error());
    alert(kAlertTitle,
          QStringLiteral("Your archive of actions could not be read (%1).\n\nVantir starts with "
                         "an empty archive and will not save over '%2'.")
              .arg(archive.error(), path),
          {QStringLiteral("OK")});
    return nullptr;
}

LoadOutcome VNTRepository::load() {
    m_saveRefused = false;
    const QString userArchive = archiveFilename();
    DictionaryRef archive;
    QByteArray bytesRead;
    if (QFileInfo::exists(userArchive)) {
        archive = readUserArchive(userArchive, bytesRead);
    } else {
        QString path = m_services.defaultArchivePath;
        if (path.isEmpty())
            path =
                vantirResources().pathForResource(QStringLiteral("archive"), QStringLiteral("xml"));
        auto bytes = platform::readFile(path);
        auto parsed = bytes ? parseArchive(*bytes)
                            : platform::Expected<DictionaryRef>(platform::Error{bytes.error()});
        if (parsed) {
            archive = *parsed;
            bytesRead = *bytes;
        } else
            platform::log(
                QStringLiteral("cannot load the default archive: %1").arg(parsed.error()));
    }
    if (!archive) {
        // An empty archive has nothing to upgrade: it is not offered for upgrading, and so not
        // saved over anything.
        archive = emptyArchive();
        (*archive)[kVersion] = kCurrentBuildNumber;
    }
    return adopt(std::move(archive), bytesRead);
}

LoadOutcome VNTRepository::reload() {
    m_libraries = emptyArchive();
    VNTAction::cleanupUUIDs();
    return load();
}

LoadOutcome VNTRepository::adopt(DictionaryRef archive, const QByteArray& fileAsRead) {
    m_libraries = archive ? std::move(archive) : emptyArchive();
    // Every upgrade goes by the version the file had when read: the first upgrade raises it.
    const qint64 versionAsRead = Value(m_libraries)[kVersion].toInteger();
    const bool asksToUpgrade = versionAsRead <= 16 && m_services.mode == LoadMode::Program;
    m_archiveAsRead = fileAsRead;
    if (m_archiveAsRead.isEmpty() && asksToUpgrade) {
        if (const auto xml = platform::writeXmlPropertyList(Value(m_libraries)))
            m_archiveAsRead = *xml;
    }
    for (const QString& key : {kLibrary, kRemotes}) {
        if (Value(m_libraries)[key].toArray() == nullptr)
            (*m_libraries)[key] = Value::newArray();
    }
    poseVNTAClasses(Value(library()));
    poseVNTAClasses(Value(remotes()));

    const auto triggers = allInstancesOfClass(Value(remotes()), QStringLiteral("VNTTrigger"));
    if (versionAsRead <= 16) {
        for (const auto& record : triggers) {
            const VNTTrigger trigger(record);
            trigger.cleanupARBEs();
            trigger.poseTriggerActions();
        }
    }
    // Before the upgrade is saved, so that the saved archive keeps these settings.
    if (versionAsRead <= 19) {
        for (const auto& layer :
             allInstancesOfClass(Value(remotes()), QStringLiteral("VNTTriggerLayer")))
            VNTTriggerLayer(layer).cleanupSectionStuff();
    }
    if (versionAsRead <= 16) {
        if (asksToUpgrade) {
            platform::Alert question{
                platform::AlertStyle::Warning,
                kAlertTitle,
                QStringLiteral("Your archive of actions has to be updated. Would you like to "
                               "create a backup file on your Desktop?"),
                {QStringLiteral("Create Backup"), QStringLiteral("Just Upgrade"),
                 QStringLiteral("Quit")}};
            // Dismissing the question touches nothing.
            question.escapeAnswer = platform::AlertResponse::Third;
            const platform::AlertResponse answer = m_services.alerts
                                                       ? m_services.alerts->runModal(question)
                                                       : platform::AlertResponse::First;
            switch (answer) {
            case platform::AlertResponse::First:
                if (const auto backup = saveBackup(); !backup) {
                    // Upgrading without the backup asked for would leave the user no way back.
                    alert(kAlertTitle,
                          QStringLiteral("The backup could not be written (%1).\n\nYour archive of "
                                         "actions has not been changed. Vantir quits now; start "
                                         "it again to upgrade with or without a backup.")
                              .arg(backup.error()),
                          {QStringLiteral("Quit")});
                    return LoadOutcome::QuitRequested;
                }
                break;
            case platform::AlertResponse::Second:
                break;
            case platform::AlertResponse::Third:
                return LoadOutcome::QuitRequested;
            }
        }
        (*m_libraries)[kVersion] = kCurrentBuildNumber;
        if (m_services.mode == LoadMode::Program)
            save();
    }

    for (const auto& trigger : triggers)
        VNTTrigger(trigger).registerUsedActions();
    return LoadOutcome::Loaded;
}

bool VNTRepository::writeArchive(const QString& path) const {
    const auto bytes = platform::writeXmlPropertyList(Value(m_libraries));
    if (!bytes) {
        platform::log(QStringLiteral("cannot write the archive: %1").arg(bytes.error()));
        return false;
    }
    const auto written = platform::writeFileAtomically(path, *bytes);
    if (!written) {
        platform::log(written.error());
        return false;
    }
    return true;
}

bool VNTRepository::save() {
    if (m_saveRefused) {
        platform::log(QStringLiteral("not saving: the unreadable archive %1 is still in place")
                          .arg(archiveFilename()));
        return false;
    }
    return writeArchive(archiveFilename());
}

platform::Expected<void> VNTRepository::saveBackup() {
    const QString path = backupFilename();
    auto written = QDir().mkpath(QFileInfo(path).absolutePath())
                       ? platform::writeFileAtomically(path, m_archiveAsRead)
                       : platform::Expected<void>(platform::Error{
                             QStringLiteral("cannot make the folder of %1").arg(path)});
    if (!written)
        platform::log(QStringLiteral("cannot write the backup: %1").arg(written.error()));
    return written;
}

QString VNTRepository::preferredDirectory(const QString& key) const {
    const Preferences* preferences = m_model.preferences();
    return preferences ? stringForKey(preferences->userDefaults(), key, QDir::homePath())
                       : QDir::homePath();
}

void VNTRepository::rememberDirectory(const QString& key, const QString& path) const {
    if (Preferences* preferences = m_model.preferences()) {
        preferences->userDefaults().setString(QFileInfo(path).absolutePath(), key);
        preferences->userDefaults().synchronize();
    }
}

void VNTRepository::alert(const QString& title, const QString& text,
                          const QStringList& buttons) const {
    if (!m_services.alerts)
        return;
    const platform::AlertStyle style = title == QLatin1String("Vantir Info")
                                           ? platform::AlertStyle::Informational
                                           : platform::AlertStyle::Warning;
    m_services.alerts->runModal(platform::Alert{style, title, text, buttons});
}

bool VNTRepository::exportOfType(const Value& item, const QString& type) {
    if (!m_services.panels)
        return false;
    const Value exported = Value::newDictionary({{QStringLiteral("Object"), item},
                                                 {QStringLiteral("Version"), kCurrentBuildNumber},
                                                 {QStringLiteral("Type"), type}});
    FilePanelRequest request;
    request.title = QStringLiteral("Export");
    request.fileTypes = {QStringLiteral("vnta")};
    request.allowsOtherFileTypes = true;
    request.directory = preferredDirectory(QStringLiteral("ExportDirectory"));
    request.fileName = item[QStringLiteral("name")].toString();
    const std::optional<QString> path = m_services.panels->runSavePanel(request);
    if (!path)
        return false;
    const auto bytes = platform::writeXmlPropertyList(exported);
    const auto written = bytes ? platform::writeFileAtomically(*path, *bytes)
                               : platform::Expected<void>(platform::Error{bytes.error()});
    rememberDirectory(QStringLiteral("ExportDirectory"), *path);
    if (!written)
        platform::log(QStringLiteral("export to %1 failed: %2").arg(*path, written.error()));
    return bool(written);
}

Value VNTRepository::importObjectGetType(QString* type) {
    VNTAction::setIgnoreUUID(true);
    struct ResumeRegistration {
        ~ResumeRegistration() { VNTAction::setIgnoreUUID(false); }
    } resume;

    FilePanelRequest request;
    request.title = QStringLiteral("Import");
    request.fileTypes = {QStringLiteral("vnta"), QStringLiteral("xml"), QStringLiteral("plist")};
    request.directory = preferredDirectory(QStringLiteral("ImportDirectory"));
    const std::optional<QString> path =
        m_services.panels ? m_services.panels->runOpenPanel(request) : std::nullopt;
    if (!path)
        return {};

    auto bytes = platform::readFile(*path);
    auto root = bytes ? platform::readPropertyList(*bytes)
                      : platform::Expected<Value>(platform::Error{bytes.error()});
    rememberDirectory(QStringLiteral("ImportDirectory"), *path);
    const Value object = root ? (*root)[QStringLiteral("Object")] : Value();
    if (!object.toDictionary()) {
        platform::log(QStringLiteral("cannot import %1: %2")
                          .arg(*path, root ? QStringLiteral("it holds no item") : root.error()));
        alert(kAlertTitle, QStringLiteral("Could not read from '%1'.").arg(*path),
              {QStringLiteral("Abort")});
        return {};
    }
    if (type)
        *type = (*root)[QStringLiteral("Type")].toString();

    poseVNTAClasses(object);
    const Value item = posedAsVNTAClass(object.toDictionary());

    // The item itself is one of its own actions when it is an action.
    const Value holder = Value::newArray({item});
    const auto actions = allInstancesOfClass(holder, QStringLiteral("VNTAction"));
    int duplicates = 0;
    for (const auto& action : actions) {
        if (!VNTAction::actionWithUUID(VNTAction(action).uuid()))
            continue;
        platform::log(QStringLiteral("is duplicate with UUID '%1'").arg(VNTAction(action).uuid()));
        removeBuriedObject(holder, action.value());
        ++duplicates;
    }

    VNTAction::setIgnoreUUID(false);
    for (const auto& action : allInstancesOfClass(holder, QStringLiteral("VNTAction")))
        VNTAction(action).registerWithUUID();

    const int total = int(actions.size());
    if (duplicates == 0)
        return item;
    if (duplicates < total) {
        alert(QStringLiteral("Vantir Info"),
              QStringLiteral("Found %1 duplicate actions out of %2, which were ignored while "
                             "importing.")
                  .arg(duplicates)
                  .arg(total),
              {QStringLiteral("OK")});
        return item;
    }
    alert(kAlertTitle,
          QStringLiteral("All actions which are part of the loaded file are already present in "
                         "your library.\n\nTherefore importing was canceled."),
          {QStringLiteral("OK")});
    return {};
}

VNTTriggerLayer VNTRepository::newLayerFromTemplate() {
    const QString path =
        vantirResources().pathForResource(QStringLiteral("layer"), QStringLiteral("xml"));
    auto bytes = platform::readFile(path);
    auto root = bytes ? platform::readPropertyList(*bytes)
                      : platform::Expected<Value>(platform::Error{bytes.error()});
    if (!root || !root->toDictionary()) {
        platform::log(QStringLiteral("cannot read the layer template %1").arg(path));
        return {};
    }
    // Restored as archive lists restore their elements.
    const Value holder = Value::newArray({*root});
    poseVNTAClasses(holder);
    const VNTTriggerLayer layer(VNTMutableDictionary::of(holder.at(0)));
    if (!layer.isKindOfClass(QStringLiteral("VNTTriggerLayer")))
        return {};
    for (const auto& trigger : allInstancesOfClass(layer.value(), QStringLiteral("VNTTrigger")))
        VNTTrigger(trigger).registerUsedActions();
    return layer;
}

DictionaryRef VNTRepository::parentDictionaryOf(const Value& object) const {
    return vantir::parentDictionaryOf(Value(library()), object);
}

std::optional<std::vector<int>> VNTRepository::indexPathOfObject(const Value& object) const {
    return vantir::indexPathOfObject(Value(library()), object);
}

} // namespace vantir
