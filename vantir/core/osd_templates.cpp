#include "vantir/core/osd_templates.h"

#include "platform/core/data_folder.h"
#include "platform/core/log.h"
#include "platform/core/resources.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace vantir {

QString templateFilenameFor(const QString& type, QSizeF tileSize) {
    return QStringLiteral("%1-%2x%3.html")
        .arg(type)
        .arg(qint64(std::llround(tileSize.width())))
        .arg(qint64(std::llround(tileSize.height())));
}

TileParameters withDefaultParameters(TileParameters parameters) {
    const auto addDefault = [&parameters](const QString& key, const QString& value) {
        if (!parameters.contains(key))
            parameters.insert(key, value);
    };
    addDefault(QStringLiteral("title"), QStringLiteral("No Title"));
    addDefault(QStringLiteral("fontSize"), QStringLiteral("24pt"));
    addDefault(QStringLiteral("fontFamily"), QStringLiteral("\"Lucida-Grande\""));
    return parameters;
}

QString fillTemplate(const QString& html, const TileParameters& parameters) {
    static const QString marker = QStringLiteral("%%");
    QString filled;
    filled.reserve(html.size());
    qsizetype position = 0;
    while (position < html.size()) {
        const qsizetype open = html.indexOf(marker, position);
        if (open < 0)
            break;
        const qsizetype close = html.indexOf(marker, open + 2);
        if (close < 0)
            break;
        const QString key = html.sliced(open + 2, close - open - 2);
        const auto value = parameters.constFind(key);
        if (value == parameters.constEnd()) {
            // Not ours: keep the first marker and look for a placeholder from the second on.
            filled += html.sliced(position, close - position);
            position = close;
            continue;
        }
        filled += html.sliced(position, open - position);
        filled += value->toHtmlEscaped();
        position = close + 2;
    }
    filled += html.sliced(position);
    return filled;
}

OSDTemplates OSDTemplates::standard() {
    const QString folder = QStringLiteral("/HTMLTemplates");
    QStringList roots{platform::dataFolder(QStringLiteral("Vantir")) + folder};
    const platform::Resources resources(QStringLiteral("vantir"));
    if (!resources.folder().isEmpty())
        roots.append(resources.folder() + folder);
    return OSDTemplates(roots);
}

QString OSDTemplates::templateFile(const QString& templateName, const QString& fileName) const {
    // A name that climbs out of the template folder is no template.
    if (!templateName.contains(QLatin1Char('/')) && templateName != QStringLiteral("..")) {
        for (const QString& root : m_roots) {
            const QString path =
                root + QLatin1Char('/') + templateName + QLatin1Char('/') + fileName;
            if (QFileInfo(path).isFile())
                return path;
        }
    }
    platform::log(QStringLiteral("Error: could not find file '%1' for template '%2' ")
                      .arg(fileName, templateName));
    return {};
}

QString OSDTemplates::sharedFile(const QString& fileName) const {
    for (const QString& root : m_roots) {
        const QString path = root + QLatin1Char('/') + fileName;
        if (QFileInfo(path).isFile())
            return path;
    }
    if (QFileInfo(fileName).isFile())
        return fileName;
    platform::log(
        QStringLiteral("VNTOSDController::loadWebView, Error: could not find %1").arg(fileName));
    return {};
}

std::optional<QString> loadTemplate(const QString& path, const TileParameters& parameters) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        platform::log(
            QStringLiteral("could not read the template %1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kMaxTemplateBytes + 1);
    if (bytes.size() > kMaxTemplateBytes) {
        platform::log(QStringLiteral("the template %1 is larger than %2 bytes; it is not shown")
                          .arg(path)
                          .arg(kMaxTemplateBytes));
        return std::nullopt;
    }
    return fillTemplate(QString::fromUtf8(bytes), withDefaultParameters(parameters));
}

} // namespace vantir
