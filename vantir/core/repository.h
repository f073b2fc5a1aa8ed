#pragma once

#include "platform/core/expected.h"
#include "vantir/core/classes.h"
#include "vantir/core/file_panels.h"
#include "vantir/core/model_context.h"

#include <QByteArrayView>

#include <optional>
#include <vector>

namespace platform {
class Alerts;
}

namespace vantir {

/// How a load treats the user: `Program` asks before upgrading an old archive, saves the
/// upgrade and moves an unreadable archive aside with an alert; `Inspect` applies every upgrade
/// in memory without asking, saving, moving or showing anything.
enum class LoadMode { Program, Inspect };

/// What a load ended with. `QuitRequested`: the user chose "Quit" (or Escape) when asked to
/// upgrade, or the backup the user asked for could not be written; the program ends without
/// saving.
enum class LoadOutcome { Loaded, QuitRequested };

struct RepositoryServices {
    /// Where alerts go; null shows none (and takes each question's default answer).
    platform::Alerts* alerts = nullptr;
    /// The export and import panels; null cancels them.
    FilePanels* panels = nullptr;
    /// The folder of "archive.xml"; empty: `applicationSupportDirectory()`.
    QString archiveFolder;
    /// The folder of the backup; empty: the user's desktop folder.
    QString desktopFolder;
    /// The archive used when the user has none; empty: the resource "archive" of type "xml".
    QString defaultArchivePath;
    LoadMode mode = LoadMode::Program;
};

/// Reads an archive: a property-list dictionary whose "Library" and "Remotes", where present,
/// are lists. Anything else is an error that names what is wrong.
platform::Expected<DictionaryRef> parseArchive(QByteArrayView bytes);

/// The archive of actions and remotes: loading with class restoration and upgrades of older
/// archives, saving, the backup, and export and import of library items.
class VNTRepository {
public:
    /// The first repository made on `model` becomes the context's (the program's) repository.
    explicit VNTRepository(ModelContext& model, RepositoryServices services = {});
    ~VNTRepository();
    VNTRepository(const VNTRepository&) = delete;
    VNTRepository& operator=(const VNTRepository&) = delete;

    /// The repository of the living model context (the one main() owns), or null.
    static VNTRepository* sharedRepository();

    /// The program's data folder (`platform::dataFolder`), with `name` appended when given.
    static QString applicationSupportDirectory(const QString& name = {});
    /// The archive file; creates its folder when missing (a failure shows at saving).
    QString archiveFilename() const;
    /// "Vantir08Backup.xml" in the user's desktop folder.
    QString backupFilename() const;

    LoadOutcome load();
    /// Drops the archive and the action registry, and loads again.
    LoadOutcome reload();
    /// Loading after the file is read: restores classes, upgrades older archives and registers
    /// the actions' users. `archive` becomes the repository's. `fileAsRead` is the file the
    /// archive was read from, byte for byte, which a backup copies; without it a backup holds
    /// `archive` as it was given, before any upgrade.
    LoadOutcome adopt(DictionaryRef archive, const QByteArray& fileAsRead = {});
    /// Writes the archive atomically; answers whether it was written.
    bool save();
    /// Writes the archive file as it was read, byte for byte and before any upgrade, to the
    /// backup file atomically; answers why not when it was not written (and logs it).
    platform::Expected<void> saveBackup();

    const DictionaryRef& libraries() const { return m_libraries; }
    ArrayRef library() const;
    ArrayRef remotes() const;
    /// The layers of the first remote, in order (empty when there is none).
    std::vector<VNTTriggerLayer> layersOfFirstRemote() const;

    /// Exports `item` with its type ("Action", "Group" or "Application") through a save panel;
    /// answers whether it was written.
    bool exportOfType(const Value& item, const QString& type);
    /// Imports one library item through an open panel; answers the item, restored and with its
    /// actions registered, and its type; nothing when cancelled, unreadable, or when all its
    /// actions are already present.
    Value importObjectGetType(QString* type);

    /// A new layer made from the resource "layer" of type "xml", read as archives are; a null
    /// record when the template cannot be read.
    static VNTTriggerLayer newLayerFromTemplate();

    VNTAction itemWithUUID(const QString& uuid) const { return VNTAction::actionWithUUID(uuid); }
    /// Within the library.
    DictionaryRef parentDictionaryOf(const Value& object) const;
    std::optional<std::vector<int>> indexPathOfObject(const Value& object) const;

private:
    void alert(const QString& title, const QString& text, const QStringList& buttons) const;
    bool writeArchive(const QString& path) const;
    DictionaryRef readUserArchive(const QString& path, QByteArray& bytesRead);
    QString preferredDirectory(const QString& key) const;
    void rememberDirectory(const QString& key, const QString& path) const;

    ModelContext& m_model;
    RepositoryServices m_services;
    DictionaryRef m_libraries;
    /// The archive as read, before any upgrade: what a backup holds.
    QByteArray m_archiveAsRead;
    /// Set when an unreadable archive could not be moved aside: saving would destroy it.
    bool m_saveRefused = false;
};

} // namespace vantir
