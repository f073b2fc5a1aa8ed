#pragma once

#include "vantir/app/editor_document.h"
#include "vantir/core/osd_templates.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QMimeData;
class QComboBox;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;

namespace vantir {

class CharacterPalette;
class RecordListModel;
class VNTOSDController;

/// The editor window: the library's applications, groups and actions with the selected action's
/// own panel, and the layers of the remote with a live display on which buttons are selected
/// and onto which actions are dropped, with each button's press and hold actions.
class EditorWindow : public QWidget {
public:
    /// `perform` runs an action as the remote would.
    EditorWindow(EditorDocument& document, const OSDTemplates& templates,
                 std::function<void(const VNTAction&)> perform);
    ~EditorWindow() override;

    /// Brings the editor to the front.
    void showEditor();
    void toggleExpertView();
    /// Shows the palette whose characters go into the keystroke's text.
    void showCharacterPalette();
    bool expertMode() const { return m_expertMode; }
    /// The editor's own display.
    VNTOSDController& osdController() { return *m_osd; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makeLibraryColumn();
    QWidget* makeActionPanel();
    QWidget* makeLayerColumn();
    QPushButton* button(const QString& title, std::function<void()> command);
    void refresh();
    void refreshActionPanel();
    void selectRow(QListView* view, RecordListModel* model, const VNTMutableDictionary& record);
    /// Keeps the text field's contents as the selected keystroke's text.
    void keepTypedText();
    bool dropOnTriggerList(const QMimeData* data, int row, bool isRepeater);

    EditorDocument& m_document;
    std::function<void(const VNTAction&)> m_perform;
    std::unique_ptr<VNTOSDController> m_osd;
    std::unique_ptr<CharacterPalette> m_palette;
    bool m_expertMode = true;
    bool m_refreshing = false;

    std::unique_ptr<RecordListModel> m_applications;
    std::unique_ptr<RecordListModel> m_groups;
    std::unique_ptr<RecordListModel> m_actions;
    std::unique_ptr<RecordListModel> m_pressActions;
    std::unique_ptr<RecordListModel> m_holdActions;
    QListView* m_applicationsView = nullptr;
    QListView* m_groupsView = nullptr;
    QListView* m_actionsView = nullptr;
    QListView* m_pressView = nullptr;
    QListView* m_holdView = nullptr;
    QWidget* m_libraryColumn = nullptr;
    QComboBox* m_layerMenu = nullptr;
    QComboBox* m_gotoLayer = nullptr;
    QLineEdit* m_buttonName = nullptr;
    QStackedWidget* m_actionPanels = nullptr;
    QLineEdit* m_actionName = nullptr;
    QLineEdit* m_keyField = nullptr;
    QLineEdit* m_textField = nullptr;
    std::vector<std::pair<QString, QCheckBox*>> m_modifiers;
    struct MouseChoice {
        QString key;
        QComboBox* box;
        std::vector<int> values;
    };
    std::vector<MouseChoice> m_mouseChoices;
    std::vector<std::pair<QString, QSpinBox*>> m_mouseNumbers;
    QComboBox* m_fontColor = nullptr;
    QSpinBox* m_fontSize = nullptr;
    QPlainTextEdit* m_script = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_removeLayer = nullptr;
};

} // namespace vantir
