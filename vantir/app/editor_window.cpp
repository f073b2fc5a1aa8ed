#include "vantir/app/editor_window.h"

#include "platform/core/process.h"
#include "platform/core/virtual_key_codes.h"
#include "vantir/app/editor_character_palette.h"
#include "vantir/app/editor_lists.h"
#include "vantir/app/osd_controller.h"
#include "vantir/app/osd_view.h"
#include "vantir/core/keystroke_action.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace vantir {

namespace {

const QString kName = QStringLiteral("name");

/// The keystroke panel's key field: a key pressed in it becomes the action's key.
class KeyField : public QLineEdit {
public:
    std::function<void(QKeyEvent*)> recorded;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        // Tab and Backtab still move between fields.
        if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab || !recorded) {
            QLineEdit::keyPressEvent(event);
            return;
        }
        recorded(event);
    }
};

QListView* listView(const QString& name, RecordListModel* model) {
    auto* view = new QListView;
    view->setAccessibleName(name);
    view->setModel(model);
    view->setDragEnabled(true);
    view->setAcceptDrops(true);
    view->setDropIndicatorShown(true);
    view->setDragDropMode(QAbstractItemView::DragDrop);
    view->setDefaultDropAction(Qt::MoveAction);
    view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    return view;
}

QWidget* titled(const QString& title, QWidget* content) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(title));
    layout->addWidget(content);
    return box;
}

/// Puts `items` into `box` unless it holds them already, so that an open pop-up stays as it is.
void replaceItems(QComboBox* box, const QStringList& items) {
    QStringList current;
    for (int i = 0; i < box->count(); ++i)
        current.append(box->itemText(i));
    if (current == items)
        return;
    box->clear();
    box->addItems(items);
}

} // namespace

EditorWindow::EditorWindow(EditorDocument& document, const OSDTemplates& templates,
                           std::function<void(const VNTAction&)> perform)
    : m_document(document), m_perform(std::move(perform)),
      m_osd(std::make_unique<VNTOSDController>(templates)) {
    setWindowTitle(QStringLiteral("Vantir Editor[*]"));
    setAccessibleName(QStringLiteral("Vantir Editor"));

    m_applications = std::make_unique<RecordListModel>([this] { return m_document.applications(); },
                                                       kLibraryDataType);
    m_groups = std::make_unique<RecordListModel>(
        [this] { return EditorDocument::childsOf(m_document.selectedApplication()); },
        kGroupDataType);
    m_actions = std::make_unique<RecordListModel>(
        [this] { return EditorDocument::childsOf(m_document.selectedGroup()); }, kItemDataType);
    m_pressActions = std::make_unique<RecordListModel>(
        [this] {
            const VNTTrigger trigger = m_document.selectedTrigger();
            return trigger ? trigger.triggerActions() : ArrayRef();
        },
        kTriggerActionDataType);
    m_holdActions = std::make_unique<RecordListModel>(
        [this] {
            const VNTTrigger trigger = m_document.selectedTrigger();
            return trigger ? trigger.triggerRepeatActions() : ArrayRef();
        },
        kTriggerActionDataType);
    const auto rename = [this](const VNTMutableDictionary& record, const QString& name) {
        m_document.setValue(record, kName, name);
    };
    m_applications->renamed = rename;
    m_groups->renamed = rename;
    m_actions->renamed = rename;
    m_actions->dragData = [](const VNTMutableDictionary& record, int) {
        return VNTAction(record).uuid().toUtf8();
    };
    m_groups->dragData = [](const VNTMutableDictionary&, int row) {
        return QByteArray::number(row);
    };
    m_applications->dragData = m_groups->dragData;
    m_pressActions->dragData = m_groups->dragData;
    m_holdActions->dragData = m_groups->dragData;

    // Rows move within their list; actions move into a group; groups into an application.
    m_applications->acceptedTypes = {kGroupDataType};
    m_applications->dropped = [this](const QMimeData* data, int row, int onto) {
        if (const int from = draggedRowFrom(data, m_applications.get()); from >= 0)
            return m_document.moveRow(m_document.applications(), from,
                                      row < 0 ? int(m_document.applications()->size()) : row);
        const int group = data->data(kGroupDataType).toInt();
        const ArrayRef groups = EditorDocument::childsOf(m_document.selectedApplication());
        if (onto < 0 || !groups || group < 0 || group >= int(groups->size()))
            return false;
        return m_document.moveGroup(VNTMutableDictionary::of(groups->at(std::size_t(group))),
                                    m_applications->recordAt(onto));
    };
    m_groups->acceptedTypes = {kItemDataType};
    m_groups->dropped = [this](const QMimeData* data, int row, int onto) {
        const ArrayRef groups = EditorDocument::childsOf(m_document.selectedApplication());
        if (const int from = draggedRowFrom(data, m_groups.get()); from >= 0)
            return m_document.moveRow(groups, from, row < 0 ? int(groups->size()) : row);
        const VNTAction action =
            VNTAction::actionWithUUID(QString::fromUtf8(data->data(kItemDataType)));
        return onto >= 0 && m_document.moveAction(action, m_groups->recordAt(onto));
    };
    m_actions->dropped = [this](const QMimeData* data, int row, int) {
        const ArrayRef actions = EditorDocument::childsOf(m_document.selectedGroup());
        const int from = draggedRowFrom(data, m_actions.get());
        return from >= 0 && m_document.moveRow(actions, from, row < 0 ? int(actions->size()) : row);
    };
    m_pressActions->acceptedTypes = {kItemDataType};
    m_pressActions->dropped = [this](const QMimeData* data, int row, int) {
        return dropOnTriggerList(data, row, false);
    };
    m_holdActions->acceptedTypes = {kItemDataType};
    m_holdActions->dropped = [this](const QMimeData* data, int row, int) {
        return dropOnTriggerList(data, row, true);
    };

    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    m_save = button(QStringLiteral("Save"), [this] { m_document.save(); });
    bar->addWidget(m_save);
    bar->addWidget(button(QStringLiteral("Revert"), [this] { m_document.revert(); }));
    bar->addWidget(button(QStringLiteral("Undo"), [this] { m_document.undoStack().undo(); }));
    bar->addWidget(button(QStringLiteral("Redo"), [this] { m_document.undoStack().redo(); }));
    bar->addStretch();
    bar->addWidget(button(QStringLiteral("Expert View"), [this] { toggleExpertView(); }));
    layout->addLayout(bar);
    auto* columns = new QHBoxLayout;
    m_libraryColumn = makeLibraryColumn();
    columns->addWidget(m_libraryColumn, 1);
    columns->addWidget(makeLayerColumn(), 1);
    layout->addLayout(columns);

    m_osd->setClickHandler([this](int osdb) {
        if (osdb != 0)
            m_document.setSelectedOSDB(osdb);
    });
    m_osd->setDropHandler(
        [this](const QString& item, int osdb) { m_document.droppedItem(item, osdb); });
    for (const OSDTile& tile : osdTiles())
        m_osd->registerOSDBForDraggedTypes(tile.osdb, {kItemDataType});
    m_document.setChangeHandler([this] { refresh(); });
    auto* closeShortcut = new QShortcut(QKeySequence::Close, this);
    connect(closeShortcut, &QShortcut::activated, this, [this] { close(); });
    resize(960, 700);
    refresh();
}

EditorWindow::~EditorWindow() {
    m_document.setChangeHandler({});
}

QPushButton* EditorWindow::button(const QString& title, std::function<void()> command) {
    auto* push = new QPushButton(title);
    push->setAutoDefault(false);
    connect(push, &QPushButton::clicked, this, [command = std::move(command)] { command(); });
    return push;
}

QWidget* EditorWindow::makeLibraryColumn() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* lists = new QHBoxLayout;
    m_applicationsView = listView(QStringLiteral("Applications"), m_applications.get());
    m_groupsView = listView(QStringLiteral("Groups"), m_groups.get());
    m_actionsView = listView(QStringLiteral("Actions"), m_actions.get());
    lists->addWidget(titled(QStringLiteral("Applications"), m_applicationsView));
    lists->addWidget(titled(QStringLiteral("Groups"), m_groupsView));
    lists->addWidget(titled(QStringLiteral("Actions"), m_actionsView));
    layout->addLayout(lists);
    connect(m_applicationsView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                if (!m_refreshing)
                    m_document.setSelectedApplication(m_applications->recordAt(index.row()));
            });
    connect(m_groupsView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                if (!m_refreshing)
                    m_document.setSelectedGroup(m_groups->recordAt(index.row()));
            });
    connect(m_actionsView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                if (!m_refreshing)
                    m_document.setSelectedAction(VNTAction(m_actions->recordAt(index.row())));
            });

    auto* commands = new QGridLayout;
    commands->addWidget(
        button(QStringLiteral("Add Application"), [this] { m_document.addLibrary(); }), 0, 0);
    commands->addWidget(
        button(QStringLiteral("Remove Application"), [this] { m_document.removeLibrary(); }), 1, 0);
    commands->addWidget(button(QStringLiteral("Add Group"), [this] { m_document.addGroup(); }), 0,
                        1);
    commands->addWidget(
        button(QStringLiteral("Remove Group"), [this] { m_document.removeGroup(); }), 1, 1);
    commands->addWidget(button(QStringLiteral("Add Keystroke"),
                               [this] { m_document.addAction(ActionKind::Keystroke); }),
                        0, 2);
    commands->addWidget(button(QStringLiteral("Add Mouse Action"),
                               [this] { m_document.addAction(ActionKind::Mouse); }),
                        1, 2);
    commands->addWidget(
        button(QStringLiteral("Add Script"), [this] { m_document.addAction(ActionKind::Script); }),
        2, 2);
    commands->addWidget(
        button(QStringLiteral("Remove Action"), [this] { m_document.removeAction(); }), 3, 2);
    commands->addWidget(button(QStringLiteral("Perform"),
                               [this] {
                                   if (m_document.selectedAction() && m_perform)
                                       m_perform(m_document.selectedAction());
                               }),
                        3, 1);
    commands->addWidget(button(QStringLiteral("Copy"), [this] { m_document.copy(); }), 4, 0);
    commands->addWidget(button(QStringLiteral("Paste"), [this] { m_document.paste(); }), 4, 1);
    commands->addWidget(button(QStringLiteral("Import ..."), [this] { m_document.importItem(); }),
                        2, 0);
    commands->addWidget(
        button(QStringLiteral("Export ..."), [this] { m_document.exportSelection(); }), 3, 0);
    layout->addLayout(commands);
    layout->addWidget(makeActionPanel());
    return column;
}

QWidget* EditorWindow::makeActionPanel() {
    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    m_actionName = new QLineEdit;
    m_actionName->setAccessibleName(QStringLiteral("Action Name"));
    connect(m_actionName, &QLineEdit::editingFinished, this, [this] {
        const VNTAction action = m_document.selectedAction();
        if (action && action.name() != m_actionName->text())
            m_document.setValue(action, kName, m_actionName->text());
    });
    layout->addWidget(titled(QStringLiteral("Action Name"), m_actionName));
    m_actionPanels = new QStackedWidget;
    m_actionPanels->addWidget(new QWidget);

    // Keystroke: a key recorded in the key field, or a text to type, with modifiers.
    auto* keystroke = new QWidget;
    auto* keyLayout = new QGridLayout(keystroke);
    auto* keyField = new KeyField;
    keyField->setAccessibleName(QStringLiteral("Key"));
    keyField->setPlaceholderText(QStringLiteral("Press a key"));
    keyField->recorded = [this](QKeyEvent* event) {
        const VNTAction action = m_document.selectedAction();
        const std::optional<int> code =
            platform::virtualKeyCodeForX11Keycode(int(event->nativeScanCode()));
        if (!action || !code)
            return;
        m_document.changeRecord(action, QStringLiteral("Record Key"), [&] {
            recordKeyInKeyField(action, *code, event->text());
            const Qt::KeyboardModifiers held = event->modifiers();
            action.setStoredObject(bool(held & Qt::ShiftModifier), QStringLiteral("shiftDown"));
            action.setStoredObject(bool(held & Qt::ControlModifier), QStringLiteral("controlDown"));
            action.setStoredObject(bool(held & Qt::AltModifier), QStringLiteral("optionDown"));
            action.setStoredObject(bool(held & Qt::MetaModifier), QStringLiteral("commandDown"));
        });
    };
    m_keyField = keyField;
    keyLayout->addWidget(new QLabel(QStringLiteral("Key")), 0, 0);
    keyLayout->addWidget(keyField, 0, 1, 1, 4);
    m_textField = new QLineEdit;
    m_textField->setAccessibleName(QStringLiteral("Text"));
    connect(m_textField, &QLineEdit::editingFinished, this, [this] { keepTypedText(); });
    keyLayout->addWidget(new QLabel(QStringLiteral("Text")), 1, 0);
    keyLayout->addWidget(m_textField, 1, 1, 1, 3);
    keyLayout->addWidget(
        button(QStringLiteral("Characters ..."), [this] { showCharacterPalette(); }), 1, 4);
    int column = 1;
    for (const auto& [key, title] :
         {std::pair{"shiftDown", "Shift"}, std::pair{"controlDown", "Control"},
          std::pair{"optionDown", "Option"}, std::pair{"commandDown", "Command"}}) {
        auto* box = new QCheckBox(QString::fromLatin1(title));
        const QString stored = QString::fromLatin1(key);
        connect(box, &QCheckBox::clicked, this, [this, stored](bool checked) {
            m_document.setValue(m_document.selectedAction(), stored, checked);
        });
        keyLayout->addWidget(box, 2, column++);
        m_modifiers.emplace_back(stored, box);
    }
    m_actionPanels->addWidget(keystroke);

    // Mouse: the kind of event and its amounts.
    auto* mouse = new QWidget;
    auto* mouseLayout = new QFormLayout(mouse);
    const auto choice = [this, mouseLayout](const QString& key, const QString& title,
                                            QStringList items, std::vector<int> values) {
        auto* box = new QComboBox;
        box->setAccessibleName(title);
        box->addItems(items);
        connect(box, &QComboBox::activated, this, [this, key, values](int index) {
            m_document.setValue(m_document.selectedAction(), key, values.at(std::size_t(index)));
        });
        mouseLayout->addRow(title, box);
        m_mouseChoices.push_back({key, box, std::move(values)});
    };
    choice(QStringLiteral("mouseEventType"), QStringLiteral("Mouse Event"),
           {QStringLiteral("Move"), QStringLiteral("Click"), QStringLiteral("Scroll Wheel")},
           {0, 1, 2});
    choice(QStringLiteral("mouseMoveType"), QStringLiteral("Move"),
           {QStringLiteral("By an offset"), QStringLiteral("To a point of the screen")}, {0, 1});
    choice(QStringLiteral("mouseButtonTag"), QStringLiteral("Button"),
           {QStringLiteral("Left"), QStringLiteral("Right"), QStringLiteral("Middle")}, {1, 2, 3});
    for (const auto& [key, title] :
         {std::pair{"mouseMoveX", "Horizontal"}, std::pair{"mouseMoveY", "Vertical (up)"},
          std::pair{"mouseClickCount", "Clicks (100: hold, then release)"},
          std::pair{"scrollWheelAmount", "Wheel notches"}}) {
        auto* number = new QSpinBox;
        number->setRange(-10000, 10000);
        number->setAccessibleName(QString::fromLatin1(title));
        const QString stored = QString::fromLatin1(key);
        connect(number, &QSpinBox::editingFinished, this, [this, stored, number] {
            const VNTAction action = m_document.selectedAction();
            if (action && action.integerForKey(stored) != number->value())
                m_document.setValue(action, stored, number->value());
        });
        mouseLayout->addRow(QString::fromLatin1(title), number);
        m_mouseNumbers.emplace_back(stored, number);
    }
    m_actionPanels->addWidget(mouse);

    // Script: its text, checked by the shell without running it.
    auto* script = new QWidget;
    auto* scriptLayout = new QVBoxLayout(script);
    m_script = new QPlainTextEdit;
    m_script->setAccessibleName(QStringLiteral("Script"));
    scriptLayout->addWidget(m_script);
    auto* scriptButtons = new QHBoxLayout;
    scriptButtons->addWidget(button(QStringLiteral("Keep Script"), [this] {
        m_document.setValue(m_document.selectedAction(), QStringLiteral("script"),
                            m_script->toPlainText());
    }));
    scriptButtons->addWidget(button(QStringLiteral("Check Syntax"), [this] {
        const auto checked = platform::runProgram(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-n"), QStringLiteral("-c"), m_script->toPlainText()});
        QMessageBox::information(this, QStringLiteral("Vantir"),
                                 checked && checked->exitStatus == 0
                                     ? QStringLiteral("The script's syntax is correct.")
                                     : QStringLiteral("The script has a syntax error."));
    }));
    scriptLayout->addLayout(scriptButtons);
    m_actionPanels->addWidget(script);
    layout->addWidget(m_actionPanels);
    return panel;
}

QWidget* EditorWindow::makeLayerColumn() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* layers = new QHBoxLayout;
    m_layerMenu = new QComboBox;
    m_layerMenu->setAccessibleName(QStringLiteral("Layer"));
    connect(m_layerMenu, &QComboBox::activated, this, [this](int index) {
        const std::vector<VNTTriggerLayer> all = m_document.layers();
        if (index >= 0 && index < int(all.size()))
            m_document.setSelectedLayer(all[std::size_t(index)]);
    });
    layers->addWidget(m_layerMenu, 1);
    layers->addWidget(button(QStringLiteral("Add Layer"), [this] { m_document.addLayer(); }));
    m_removeLayer = button(QStringLiteral("Remove Layer"), [this] { m_document.removeLayer(); });
    layers->addWidget(m_removeLayer);
    layout->addLayout(layers);
    auto* holder = new QWidget;
    holder->setMinimumSize(400, 250);
    m_osd->addOSDViewTo(holder);
    layout->addWidget(holder, 2);
    m_buttonName = new QLineEdit;
    m_buttonName->setAccessibleName(QStringLiteral("Button Name"));
    connect(m_buttonName, &QLineEdit::editingFinished, this,
            [this] { m_document.setButtonName(m_buttonName->text()); });
    layout->addWidget(titled(QStringLiteral("Button Name"), m_buttonName));
    // Jumps to another layer, then shows its title again, as a menu would.
    m_gotoLayer = new QComboBox;
    m_gotoLayer->setAccessibleName(QStringLiteral("Go to Layer"));
    connect(m_gotoLayer, &QComboBox::activated, this, [this](int index) {
        m_document.gotoLayerFrom(index);
        m_gotoLayer->setCurrentIndex(0);
    });
    layout->addWidget(m_gotoLayer);
    auto* looks = new QHBoxLayout;
    m_fontColor = new QComboBox;
    m_fontColor->setAccessibleName(QStringLiteral("Font Color"));
    for (const auto& [name, colour] :
         {std::pair{"Black", "#000000"}, std::pair{"White", "#FFFFFF"}, std::pair{"Red", "#FF0000"},
          std::pair{"Green", "#008000"}, std::pair{"Blue", "#0000FF"}})
        m_fontColor->addItem(QString::fromLatin1(name), QString::fromLatin1(colour));
    connect(m_fontColor, &QComboBox::activated, this, [this](int index) {
        m_document.setValue(m_document.selectedTrigger(), QStringLiteral("fontColor"),
                            m_fontColor->itemData(index).toString());
    });
    m_fontSize = new QSpinBox;
    m_fontSize->setRange(6, 96);
    m_fontSize->setAccessibleName(QStringLiteral("Font Size"));
    connect(m_fontSize, &QSpinBox::editingFinished, this, [this] {
        const VNTTrigger trigger = m_document.selectedTrigger();
        const Value size = trigger.objectForKey(QStringLiteral("fontSize"));
        if (trigger && (size.isNone() || size.toReal() != m_fontSize->value()))
            m_document.setValue(trigger, QStringLiteral("fontSize"), double(m_fontSize->value()));
    });
    looks->addWidget(new QLabel(QStringLiteral("Font Color")));
    looks->addWidget(m_fontColor, 1);
    looks->addWidget(new QLabel(QStringLiteral("Font Size")));
    looks->addWidget(m_fontSize);
    layout->addLayout(looks);
    m_pressView = listView(QStringLiteral("Press Actions"), m_pressActions.get());
    m_holdView = listView(QStringLiteral("Hold Actions"), m_holdActions.get());
    m_pressView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_holdView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (QListView* view : {m_pressView, m_holdView})
        connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this, view](const QModelIndex& index) {
                    auto* model = view == m_pressView ? m_pressActions.get() : m_holdActions.get();
                    if (!m_refreshing)
                        m_document.selectActionOf(VNTTriggerAction(model->recordAt(index.row())));
                });
    auto* lists = new QHBoxLayout;
    lists->addWidget(titled(QStringLiteral("Press Actions"), m_pressView));
    lists->addWidget(titled(QStringLiteral("Hold Actions"), m_holdView));
    layout->addLayout(lists, 1);
    auto* commands = new QGridLayout;
    commands->addWidget(
        button(QStringLiteral("Assign Action"), [this] { m_document.assignAction(); }), 0, 0);
    commands->addWidget(
        button(QStringLiteral("Remove Button"), [this] { m_document.removeButton(); }), 0, 1);
    commands->addWidget(button(QStringLiteral("Add to Press Actions"),
                               [this] {
                                   m_document.addActionToTrigger(m_document.selectedAction(),
                                                                 m_document.selectedTrigger(), -1,
                                                                 false, false);
                               }),
                        1, 0);
    commands->addWidget(button(QStringLiteral("Add to Hold Actions"),
                               [this] {
                                   m_document.addActionToTrigger(m_document.selectedAction(),
                                                                 m_document.selectedTrigger(), -1,
                                                                 false, true);
                               }),
                        1, 1);
    commands->addWidget(button(QStringLiteral("Replace Press Action"),
                               [this] {
                                   m_document.reassignTriggerAction(
                                       VNTTriggerAction(m_pressActions->recordAt(
                                           m_pressView->currentIndex().row())),
                                       m_document.selectedAction());
                               }),
                        3, 0);
    commands->addWidget(button(QStringLiteral("Remove from Press Actions"),
                               [this] {
                                   m_document.removeActionFromTrigger(
                                       m_pressView->currentIndex().row(), false);
                               }),
                        2, 0);
    commands->addWidget(
        button(
            QStringLiteral("Remove from Hold Actions"),
            [this] { m_document.removeActionFromTrigger(m_holdView->currentIndex().row(), true); }),
        2, 1);
    layout->addLayout(commands);
    return column;
}

void EditorWindow::keepTypedText() {
    const VNTAction action = m_document.selectedAction();
    if (!action || action.stringForKey(QStringLiteral("keyStrokes")) == m_textField->text())
        return;
    m_document.changeRecord(action, QStringLiteral("Type Text"), [&] {
        recordTypingInTextField(action);
        action.setStoredObject(m_textField->text(), QStringLiteral("keyStrokes"));
    });
}

void EditorWindow::showCharacterPalette() {
    if (!m_palette) {
        m_palette = std::make_unique<CharacterPalette>(this);
        m_palette->chosen = [this](const QString& text) {
            if (!m_document.selectedAction().isKindOfClass(QStringLiteral("VNTAKeystroke")))
                return;
            // Replaces the selection, as typing would, and keeps the text at once: the field
            // keeps the focus, so no end of editing would keep it.
            m_textField->insert(text);
            keepTypedText();
        };
    }
    m_palette->show();
    m_palette->raise();
}

bool EditorWindow::dropOnTriggerList(const QMimeData* data, int row, bool isRepeater) {
    RecordListModel* model = isRepeater ? m_holdActions.get() : m_pressActions.get();
    const VNTTrigger trigger = m_document.selectedTrigger();
    if (trigger.isNull())
        return false;
    if (const int from = draggedRowFrom(data, model); from >= 0) {
        const ArrayRef list =
            isRepeater ? trigger.triggerRepeatActions() : trigger.triggerActions();
        return m_document.moveRow(list, from, row < 0 ? int(list->size()) : row);
    }
    const VNTAction action =
        VNTAction::actionWithUUID(QString::fromUtf8(data->data(kItemDataType)));
    return !m_document.addActionToTrigger(action, trigger, row, false, isRepeater).isNull();
}

void EditorWindow::selectRow(QListView* view, RecordListModel* model,
                             const VNTMutableDictionary& record) {
    const int row = model->rowOf(record);
    if (row < 0)
        view->clearSelection();
    else
        view->setCurrentIndex(model->index(row));
}

void EditorWindow::refresh() {
    m_refreshing = true;
    setWindowModified(m_document.isEdited());
    for (RecordListModel* model : {m_applications.get(), m_groups.get(), m_actions.get(),
                                   m_pressActions.get(), m_holdActions.get()})
        model->refresh();
    selectRow(m_applicationsView, m_applications.get(), m_document.selectedApplication());
    selectRow(m_groupsView, m_groups.get(), m_document.selectedGroup());
    selectRow(m_actionsView, m_actions.get(), m_document.selectedAction());

    const std::vector<VNTTriggerLayer> all = m_document.layers();
    const QStringList gotoItems = m_document.layerMenuItems();
    replaceItems(m_layerMenu, gotoItems.mid(1));
    replaceItems(m_gotoLayer, gotoItems);
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].isSameObject(m_document.selectedLayer()))
            m_layerMenu->setCurrentIndex(int(i));
    m_removeLayer->setEnabled(m_document.canRemoveFromRemotes());

    m_osd->fillOSDFromLayer(m_document.selectedLayer());
    for (const OSDTile& tile : osdTiles())
        m_osd->setOSDBHighlighted(tile.osdb, tile.osdb == m_document.selectedOSDB());
    const VNTTrigger trigger = m_document.selectedTrigger();
    m_buttonName->setText(m_document.selectedOSDB() == 2
                              ? m_document.selectedLayer().stringForKey(kName)
                              : trigger.stringForKey(kName));
    const bool hasLooks = trigger && m_document.selectedOSDB() != 2;
    m_fontColor->setEnabled(hasLooks);
    m_fontSize->setEnabled(hasLooks);
    const int colour = m_fontColor->findData(trigger.stringForKey(QStringLiteral("fontColor")));
    m_fontColor->setCurrentIndex(std::max(colour, 0));
    const Value size = trigger.objectForKey(QStringLiteral("fontSize"));
    m_fontSize->setValue(size.isNone() ? 24 : int(size.toReal()));
    refreshActionPanel();
    m_refreshing = false;
}

void EditorWindow::refreshActionPanel() {
    const VNTAction action = m_document.selectedAction();
    m_actionName->setEnabled(!action.isNull());
    m_actionName->setText(action.name());
    if (action.isKindOfClass(QStringLiteral("VNTAKeystroke"))) {
        m_actionPanels->setCurrentIndex(1);
        m_keyField->setText(action.stringForKey(QStringLiteral("keyCodeName")));
        m_textField->setText(action.stringForKey(QStringLiteral("keyStrokes")));
        for (const auto& [key, box] : m_modifiers)
            box->setChecked(action.boolForKey(key));
    } else if (action.isKindOfClass(QStringLiteral("VNTAMouse"))) {
        m_actionPanels->setCurrentIndex(2);
        for (const MouseChoice& choice : m_mouseChoices) {
            const auto found = std::find(choice.values.begin(), choice.values.end(),
                                         int(action.integerForKey(choice.key)));
            choice.box->setCurrentIndex(
                found == choice.values.end() ? 0 : int(found - choice.values.begin()));
        }
        for (const auto& [key, number] : m_mouseNumbers)
            number->setValue(int(action.integerForKey(key)));
    } else if (action.isKindOfClass(QStringLiteral("VNTAAppleScript"))) {
        m_actionPanels->setCurrentIndex(3);
        if (m_script->toPlainText() != action.stringForKey(QStringLiteral("script")))
            m_script->setPlainText(action.stringForKey(QStringLiteral("script")));
    } else {
        m_actionPanels->setCurrentIndex(0);
    }
}

void EditorWindow::showEditor() {
    show();
    raise();
    activateWindow();
}

void EditorWindow::toggleExpertView() {
    m_expertMode = !m_expertMode;
    m_libraryColumn->setVisible(m_expertMode);
    // The narrower window must not be held to the width the library needed.
    layout()->activate();
    QRect frame = geometry();
    frame.setWidth(m_expertMode ? 960 : 460);
    // The window's right edge stays at least 10 points inside the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const int right = screen->availableGeometry().right() - 10;
        if (frame.right() > right)
            frame.moveRight(right);
    }
    setGeometry(frame);
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (m_document.shouldClose())
        event->accept();
    else
        event->ignore();
}

} // namespace vantir
