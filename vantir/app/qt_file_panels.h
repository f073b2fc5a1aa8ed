#pragma once

#include "vantir/core/file_panels.h"

class QWidget;

namespace vantir {

/// The export and import panels as file dialogs.
class DialogFilePanels final : public FilePanels {
public:
    explicit DialogFilePanels(QWidget* parent = nullptr) : m_parent(parent) {}
    std::optional<QString> runSavePanel(const FilePanelRequest& request) override;
    std::optional<QString> runOpenPanel(const FilePanelRequest& request) override;

private:
    QWidget* m_parent;
};

} // namespace vantir
