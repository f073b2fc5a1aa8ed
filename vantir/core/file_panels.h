#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace vantir {

/// What a save or open panel is asked to show.
struct FilePanelRequest {
    QString title;
    /// File name extensions offered, without the dot ("vnta").
    QStringList fileTypes;
    /// Whether files of other types may be chosen too.
    bool allowsOtherFileTypes = false;
    /// The folder shown first.
    QString directory;
    /// The proposed file name (save panels).
    QString fileName;
};

/// The save and open panels of import and export. The program shows file dialogs; tests
/// answer from a script.
class FilePanels {
public:
    virtual ~FilePanels() = default;
    /// The absolute path the user chose, or nothing when the panel was cancelled.
    virtual std::optional<QString> runSavePanel(const FilePanelRequest& request) = 0;
    virtual std::optional<QString> runOpenPanel(const FilePanelRequest& request) = 0;
};

} // namespace vantir
