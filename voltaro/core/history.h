#pragma once

#include "platform/core/alerts.h"
#include "platform/core/expected.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace voltaro {

/// One saved reading, kept as the texts the window showed.
struct SavedData {
    QString date;     ///< "yyyy-MM-dd", local calendar
    QString capacity; ///< "<capacity percentage> (<present capacity>)", e.g. "88 % (4400 mAh)"
    friend bool operator==(const SavedData&, const SavedData&) = default;
};

/// The history's file format: an XML property list, a dictionary whose key "SavedData" holds an
/// array of dictionaries with the text attributes "date" and "capacity".
QByteArray encodeHistory(const std::vector<SavedData>& records);
/// Fails when the file is no property list or holds no "SavedData" list. A record without both
/// attributes as text is left out, and a line saying why goes to `skipped`, so that one bad
/// record does not cost the others.
platform::Expected<std::vector<SavedData>> decodeHistory(const QByteArray& bytes,
                                                         QStringList* skipped = nullptr);

/// The records in memory and the store file behind them. Changes stay in memory until `save`,
/// which replaces the file atomically.
class HistoryContext {
public:
    /// A context without a store can hold records but not save them.
    explicit HistoryContext(QString storePath = {});

    const std::vector<SavedData>& records() const { return m_records; }
    void insert(SavedData record);
    /// Inserts at `row` (clamped to the records), for undoing a deletion.
    void insertAt(std::size_t row, SavedData record);
    void removeAt(std::size_t row);
    bool hasChanges() const { return m_changed; }

    /// Writes the records over the store. When the store held records that could not be read,
    /// the original file is first kept aside ("<store>.unreadable-…"), once, so that saving
    /// never loses what the user had; if that fails, nothing is written.
    platform::Expected<void> save();

    /// Called after every change of the records, so that views can follow.
    std::function<void()> onChange;

private:
    friend class Voltaro_AppDelegate;
    void changed();

    QString m_storePath;
    std::vector<SavedData> m_records;
    bool m_changed = false;
    bool m_keepOriginalAside = false;
};

/// The application delegate: owns the history store and the quit decision.
class Voltaro_AppDelegate {
public:
    /// `folder` is where "Voltaro.xml" lives.
    explicit Voltaro_AppDelegate(platform::Alerts& alerts,
                                 QString folder = applicationSupportFolder());
    ~Voltaro_AppDelegate();

    /// The program's data folder (`platform::dataFolder`).
    static QString applicationSupportFolder();
    QString storePath() const;

    /// The context, made on first use: the folder is created, the store file read. A store
    /// that cannot be read is moved aside (kept) and reported once in an alert; the history
    /// then starts empty. When even that fails, the context has no store.
    HistoryContext& managedObjectContext();

    /// Saves the context, presenting a failure.
    bool saveAction();

    enum class TerminateReply { TerminateNow, TerminateCancel };
    /// Whether the program may quit now. Unsaved changes are saved; when that fails, the error
    /// is shown and the user chooses between quitting anyway and cancelling. `commitEditing`
    /// ends an edit in progress and answers false to refuse.
    TerminateReply applicationShouldTerminate(const std::function<bool()>& commitEditing = {});

private:
    void presentError(const QString& message, const QString& details);

    platform::Alerts& m_alerts;
    QString m_folder;
    std::unique_ptr<HistoryContext> m_context;
};

/// The first number of a capacity text ("88 % (4400 mAh)" gives 88), if it starts with one.
std::optional<int> capacityPercentOf(const QString& capacityText);

} // namespace voltaro
