#include "vantir/app/qt_file_panels.h"

#include <QFileDialog>

namespace vantir {

namespace {

QStringList nameFilters(const FilePanelRequest& request) {
    QStringList patterns;
    for (const QString& type : request.fileTypes)
        patterns.append(QStringLiteral("*.") + type);
    QStringList filters{QStringLiteral("Vantir items (%1)").arg(patterns.join(QLatin1Char(' ')))};
    if (request.allowsOtherFileTypes || request.fileTypes.isEmpty())
        filters.append(QStringLiteral("All files (*)"));
    return filters;
}

std::optional<QString> run(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

std::optional<QString> DialogFilePanels::runSavePanel(const FilePanelRequest& request) {
    QFileDialog dialog(m_parent, request.title, request.directory);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(nameFilters(request));
    if (!request.fileTypes.isEmpty())
        dialog.setDefaultSuffix(request.fileTypes.constFirst());
    dialog.selectFile(request.fileName);
    return run(dialog);
}

std::optional<QString> DialogFilePanels::runOpenPanel(const FilePanelRequest& request) {
    QFileDialog dialog(m_parent, request.title, request.directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters(request));
    return run(dialog);
}

} // namespace vantir
