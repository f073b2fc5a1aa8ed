// The editor window's own pieces: recording a key, the expert view, the display's selection.

#include "vantir/app/editor_character_palette.h"
#include "vantir/app/editor_window.h"
#include "vantir/app/osd_controller.h"
#include "vantir/app/osd_view.h"
#include "vantir/core/repository.h"
#include "vantir/tests/model_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <set>

namespace vantir {
namespace {

using testing::str;

class EditorWindowTest : public testing::ModelTest {
protected:
    EditorWindowTest() {
        repository = makeRepository();
        EXPECT_EQ(repository->load(), LoadOutcome::Loaded);
        document = std::make_unique<EditorDocument>(*repository, alerts, notifications);
        window = std::make_unique<EditorWindow>(
            *document, OSDTemplates({str(VANTIR_RESOURCES "/HTMLTemplates")}), nullptr);
        window->show();
    }
    template <typename Widget> Widget* named(const char* name) const {
        for (Widget* widget : window->findChildren<Widget*>())
            if (widget->accessibleName() == str(name))
                return widget;
        ADD_FAILURE() << "no widget " << name;
        return nullptr;
    }
    void selectKeys() {
        auto* applications = named<QListView>("Applications");
        applications->setCurrentIndex(applications->model()->index(0, 0));
        auto* groups = named<QListView>("Groups");
        groups->setCurrentIndex(groups->model()->index(0, 0));
    }

    std::unique_ptr<VNTRepository> repository;
    std::unique_ptr<EditorDocument> document;
    std::unique_ptr<EditorWindow> window;
};

TEST_F(EditorWindowTest, KeyPressedInTheKeyFieldIsRecordedAsOneUndoableEdit) {
    selectKeys();
    const VNTAction action = document->addAction(ActionKind::Keystroke);
    ASSERT_FALSE(action.isNull());
    auto* key = named<QLineEdit>("Key");
    // The X server's key code 38 is the key of "a", virtual key code 0.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, 38, 0x61, 0, str("A"));
    QApplication::sendEvent(key, &press);
    EXPECT_EQ(action.integerForKey(str("keyCode")), 0);
    EXPECT_TRUE(action.boolForKey(str("shiftDown")));
    EXPECT_FALSE(action.stringForKey(str("keyCodeName")).isEmpty());
    EXPECT_EQ(key->text(), action.stringForKey(str("keyCodeName")));

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, 9, 0xff1b, 0);
    QApplication::sendEvent(key, &escape);
    EXPECT_EQ(action.integerForKey(str("keyCode")), 53);
    document->undoStack().undo();
    EXPECT_EQ(action.integerForKey(str("keyCode")), 0);
    EXPECT_TRUE(action.boolForKey(str("shiftDown")));
}

TEST_F(EditorWindowTest, CharacterPaletteTypesIntoTheKeystrokeTextAtTheCursor) {
    selectKeys();
    const VNTAction action = document->addAction(ActionKind::Keystroke);
    auto* text = named<QLineEdit>("Text");
    text->setText(str("ab"));
    text->setCursorPosition(1);
    window->showCharacterPalette();
    auto* palette = named<QWidget>("Character Palette");
    ASSERT_NE(palette, nullptr);
    EXPECT_TRUE(palette->isVisible());
    QToolButton* right = nullptr;
    for (QToolButton* button : palette->findChildren<QToolButton*>())
        if (button->accessibleName() == str("Right Arrow"))
            right = button;
    ASSERT_NE(right, nullptr);

    const int steps = document->undoStack().index();
    QTest::mouseClick(right, Qt::LeftButton);
    EXPECT_EQ(action.stringForKey(str("keyStrokes")), str("a\u2192b"));
    EXPECT_EQ(document->undoStack().index(), steps + 1);
    document->undoStack().undo();
    EXPECT_TRUE(action.stringForKey(str("keyStrokes")).isEmpty());

    // Without a keystroke selected the palette changes nothing.
    document->setSelectedAction(VNTAction());
    QTest::mouseClick(right, Qt::LeftButton);
    EXPECT_EQ(document->undoStack().index(), steps);
}

TEST(CharacterPaletteCharacters, EachHasItsOwnNameAndOneCharacter) {
    std::set<QString> names;
    std::set<QString> texts;
    for (const PaletteCharacter& character : paletteCharacters()) {
        EXPECT_EQ(character.text.size(), 1) << character.name.toStdString();
        EXPECT_TRUE(names.insert(character.name).second) << character.name.toStdString();
        EXPECT_TRUE(texts.insert(character.text).second) << character.name.toStdString();
    }
}

TEST_F(EditorWindowTest, ClickOnTheDisplaySelectsTheButtonAndItsActions) {
    VNTOSDView* view = window->osdController().osdView();
    QTest::mouseClick(view->overlay(5), Qt::LeftButton);
    EXPECT_EQ(document->selectedOSDB(), 5);
    EXPECT_EQ(named<QLineEdit>("Button Name")->text(), str("Next"));
    EXPECT_EQ(named<QListView>("Press Actions")->model()->rowCount(), 1);
    // The background is no button.
    QTest::mouseClick(view->overlay(0), Qt::LeftButton);
    EXPECT_EQ(document->selectedOSDB(), 5);
}

TEST_F(EditorWindowTest, MousePanelAndButtonLooksWriteTheirKeys) {
    selectKeys();
    const VNTAction action = document->addAction(ActionKind::Mouse);
    auto* button = named<QComboBox>("Button");
    ASSERT_TRUE(button->isVisible());
    button->setCurrentIndex(1);
    Q_EMIT button->activated(1);
    EXPECT_EQ(action.integerForKey(str("mouseButtonTag")), 2);
    auto* clicks = named<QSpinBox>("Clicks (100: hold, then release)");
    clicks->setValue(100);
    Q_EMIT clicks->editingFinished();
    EXPECT_EQ(action.integerForKey(str("mouseClickCount")), 100);
    document->undoStack().undo();
    EXPECT_EQ(clicks->value(), int(action.integerForKey(str("mouseClickCount"))));
    EXPECT_NE(action.integerForKey(str("mouseClickCount")), 100);

    document->setSelectedOSDB(5);
    auto* colour = named<QComboBox>("Font Color");
    colour->setCurrentIndex(2);
    Q_EMIT colour->activated(2);
    EXPECT_EQ(document->selectedTrigger().stringForKey(str("fontColor")), str("#FF0000"));
}

TEST_F(EditorWindowTest, ExpertViewShowsAndHidesTheLibrary) {
    auto* applications = named<QListView>("Applications");
    EXPECT_TRUE(applications->isVisible());
    window->toggleExpertView();
    EXPECT_FALSE(applications->isVisible());
    EXPECT_EQ(window->width(), 460);
    window->toggleExpertView();
    EXPECT_TRUE(applications->isVisible());
    EXPECT_EQ(window->width(), 960);
}

} // namespace
} // namespace vantir
