#include "kelvane/app/components/shortcut_control.h"
#include "kelvane/app/preferences_controller.h"
#include "kelvane/tests/controller_fixture.h"
#include "platform/core/resources.h"
#include "platform/testing/scripted_alerts.h"

#include <QAction>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QImage>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace kelvane;
using components::KVImageButton;

namespace {

const QString kImageFolder =
    platform::Resources(QStringLiteral("kelvane")).folder() + QStringLiteral("/images");

void pointerEnters(QWidget* widget) {
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(widget, &enter);
}

void pointerLeaves(QWidget* widget) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &leave);
}

/// A recorder whose layout names every key "T", with the texts it shows.
struct Recorder {
    components::KVKeyCodeTransformer names{
        [](int) { return QStringLiteral("t"); },
        *platform::StringsTable::parse(
            "<plist version=\"1.0\"><dict><key>Click to record shortcut</key>"
            "<string>Click to record shortcut</string><key>Type shortcut</key>"
            "<string>Type shortcut</string><key>Use old shortcut</key>"
            "<string>Use old shortcut</string></dict></plist>")};
    components::KVShortcutValidator validator{names, nullptr, {}};
    platform::doubles::ScriptedAlerts alerts;
    components::KVShortcutControl control{QStringLiteral("Toggle shortcut"), validator, alerts,
                                          kImageFolder};
    int changes = 0;

    Recorder() {
        QObject::connect(&control, &components::KVShortcutControl::keyComboDidChange,
                         [this] { ++changes; });
        control.setKeyCombo(0x11, platform::hotkey_modifiers::Control |
                                      platform::hotkey_modifiers::Option);
        control.show();
    }
};

} // namespace

TEST(ShortcutControl, ShowsItsCombinationAndClearsIt) {
    Recorder recorder;
    components::KVShortcutControl& control = recorder.control;
    EXPECT_EQ(control.text(), QStringLiteral("\u2303\u2325T"));
    EXPECT_EQ(control.carbonFlags(), 0x1800u);
    EXPECT_TRUE(control.removeButton()->isVisible());
    EXPECT_FALSE(control.snapbackButton()->isVisible());
    EXPECT_EQ(control.removeButton()->accessibleName(), QStringLiteral("Clear Toggle shortcut"));

    control.removeButton()->click();
    EXPECT_EQ(recorder.changes, 1);
    EXPECT_EQ(control.keyCode(), -1);
    EXPECT_EQ(control.text(), QStringLiteral("Click to record shortcut"));
    EXPECT_FALSE(control.removeButton()->isVisible()) << "nothing left to remove";
}

TEST(ShortcutControl, SnapbackEndsRecordingAndKeepsTheOldCombination) {
    Recorder recorder;
    components::KVShortcutControl& control = recorder.control;
    KVImageButton* snapback = control.snapbackButton();
    EXPECT_EQ(snapback->accessibleName(), QStringLiteral("Toggle shortcut: Use old shortcut"));

    control.click();
    ASSERT_TRUE(control.cell().isRecording());
    EXPECT_TRUE(snapback->isVisible());
    EXPECT_FALSE(control.removeButton()->isVisible());
    EXPECT_EQ(control.text(), QStringLiteral("Type shortcut"));

    pointerEnters(snapback);
    EXPECT_EQ(control.text(), QStringLiteral("Use old shortcut"));
    pointerLeaves(snapback);
    EXPECT_EQ(control.text(), QStringLiteral("Type shortcut"));

    pointerEnters(snapback);
    snapback->click();
    EXPECT_FALSE(control.cell().isRecording());
    EXPECT_EQ(recorder.changes, 0);
    EXPECT_EQ(control.keyCode(), 0x11);
    EXPECT_EQ(control.carbonFlags(), 0x1800u);
    EXPECT_EQ(control.text(), QStringLiteral("\u2303\u2325T"));
    EXPECT_FALSE(snapback->isVisible());
    EXPECT_TRUE(control.removeButton()->isVisible());

    // Shown again for the next recording, it no longer counts as under the pointer.
    control.click();
    EXPECT_EQ(control.text(), QStringLiteral("Type shortcut"));
}

TEST(ShortcutControl, RemoveButtonDrawsTheImageOfEachState) {
    KVImageButton button(QStringLiteral("Remove"), QStringLiteral("x"));
    button.loadImages(kImageFolder, QStringLiteral("KVRemoveShortcut"));
    ASSERT_TRUE(button.hasImage());
    button.resize(button.sizeHint());
    EXPECT_EQ(button.size(), QSize(14, 14)) << "the images are drawn at half their size";

    // A point inside the disc and clear of the cross, in the widget and in the images.
    const auto drawnGray = [&button] {
        return qGray(button.grab().toImage().pixel(7, 2));
    };
    const auto fileGray = [](const char* state) {
        return qGray(QImage(kImageFolder + QStringLiteral("/KVRemoveShortcut") +
                            QLatin1String(state) + QStringLiteral(".png"))
                         .pixel(14, 4));
    };
    EXPECT_EQ(button.state(), KVImageButton::State::Normal);
    const int normal = drawnGray();
    EXPECT_NEAR(normal, fileGray(""), 6);

    pointerEnters(&button);
    EXPECT_EQ(button.state(), KVImageButton::State::Rollover);
    const int rollover = drawnGray();
    EXPECT_NEAR(rollover, fileGray("Rollover"), 6);

    button.setDown(true);
    EXPECT_EQ(button.state(), KVImageButton::State::Pressed);
    const int pressed = drawnGray();
    EXPECT_NEAR(pressed, fileGray("Pressed"), 6);
    EXPECT_GT(normal, rollover);
    EXPECT_GT(rollover, pressed);

    button.setDown(false);
    pointerLeaves(&button);
    EXPECT_EQ(drawnGray(), normal);
}

TEST(PreferencesWindow, EveryPaneAndRecorderButtonHasItsImage) {
    kelvane::testing::ControllerFixture fixture;
    KelvaneController& controller = fixture.start();
    components::KVKeyCodeTransformer names([](int) { return QStringLiteral("t"); }, {});
    components::KVShortcutValidator validator(names, nullptr, {});
    platform::doubles::ScriptedAlerts alerts;
    KelvanePreferencesController preferences(
        controller, validator, alerts, fixture.strings,
        platform::Resources(QStringLiteral("kelvane")).folder());
    preferences.showWindow();
    const QList<QToolBar*> toolbars = preferences.window()->findChildren<QToolBar*>();
    ASSERT_EQ(toolbars.size(), 1);
    const QList<QAction*> panes = toolbars.front()->actions();
    ASSERT_EQ(panes.size(), 3);
    for (QAction* pane : panes)
        EXPECT_FALSE(pane->icon().isNull()) << pane->text().toStdString();
    for (HotKeyRole role : {HotKeyRole::Dim, HotKeyRole::Brighten, HotKeyRole::Toggle}) {
        EXPECT_TRUE(preferences.recorder(role)->removeButton()->hasImage());
        EXPECT_TRUE(preferences.recorder(role)->snapbackButton()->hasImage());
    }
}
