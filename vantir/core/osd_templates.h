#pragma once

#include "vantir/core/osd_layout.h"

#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

namespace vantir {

/// The file name of a tile's template: "<type>-<width>x<height>.html", the size rounded to whole
/// numbers ("button-200x100.html").
QString templateFilenameFor(const QString& type, QSizeF tileSize);

/// `parameters` with the defaults for the keys it lacks: "title" "No Title", "fontSize" "24pt",
/// "fontFamily" "\"Lucida-Grande\"". "fontColor" has none.
TileParameters withDefaultParameters(TileParameters parameters);

/// `html` with every placeholder "%%key%%" whose key is in `parameters` replaced by the value,
/// escaped as HTML text, so a title "<b>" shows those three characters. Placeholders of other
/// keys stay as written. Replaced text is not searched again, so a value that looks like a
/// placeholder stays as it is.
QString fillTemplate(const QString& html, const TileParameters& parameters);

/// The template folders, searched in order: the user's own ("$XDG_DATA_HOME/Vantir/
/// HTMLTemplates") before the program's.
class OSDTemplates {
public:
    explicit OSDTemplates(QStringList roots) : m_roots(std::move(roots)) {}
    /// The user's folder, then the program's resources.
    static OSDTemplates standard();

    const QStringList& roots() const { return m_roots; }
    /// The path of `fileName` in the sub-folder `templateName` of the first folder that has it.
    /// Logs "Error: could not find file '…' for template '…' " and answers empty when none does.
    QString templateFile(const QString& templateName, const QString& fileName) const;
    /// A shared file directly in a template folder ("transparent.html"), else `fileName` as a
    /// path on disk. Logs "VNTOSDController::loadWebView, Error: could not find …" and answers
    /// empty when neither exists.
    QString sharedFile(const QString& fileName) const;

private:
    QStringList m_roots;
};

/// Templates larger than this are refused: a tile has no use for them.
inline constexpr qint64 kMaxTemplateBytes = 256 * 1024;

/// The template at `path` filled with `parameters` and the defaults; none (and a log line)
/// when the file cannot be read or is too large.
std::optional<QString> loadTemplate(const QString& path, const TileParameters& parameters);

} // namespace vantir
