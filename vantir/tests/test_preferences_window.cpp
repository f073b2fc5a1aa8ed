// The preferences panel: values kept until applied, the question on closing, the remote's tab.

#include "vantir/app/preferences_window.h"
#include "vantir/core/controller.h"
#include "vantir/tests/model_fixture.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QTabWidget>

namespace vantir {
namespace {

using platform::AlertResponse;
using testing::str;

class PreferencesWindowTest : public testing::ModelTest {
protected:
    PreferencesWindowTest() {
        registerDefaultSettings(*defaults);
        hooks.shownTab = [this](bool visible, const QString& tab) {
            shown.emplace_back(visible, tab);
        };
        hooks.remoteID = [] {
            return 3;
        };
        notifications.addObserver(this, str("PreferencesChanged"), nullptr,
                                  [this](const platform::Notification&) { ++changes; });
    }
    ~PreferencesWindowTest() override { notifications.removeObserver(this); }

    template <typename Widget>
    static Widget* field(PreferencesWindow& window, const QString& text) {
        for (Widget* widget : window.findChildren<Widget*>())
            if (widget->accessibleName() == text || widget->property("text").toString() == text)
                return widget;
        return nullptr;
    }

    PreferencesWindowHooks hooks;
    std::vector<std::pair<bool, QString>> shown;
    int changes = 0;
};

TEST_F(PreferencesWindowTest, ApplyWritesEveryValueAndTellsTheProgram) {
    PreferencesWindow window(*preferences, alerts, hooks);
    window.showPreferencesPanel();
    EXPECT_EQ(field<QDoubleSpinBox>(window, str("Click speed:"))->value(), 25.0);
    field<QDoubleSpinBox>(window, str("Click speed:"))->setValue(40);
    field<QCheckBox>(window, str("Announce the layer's name"))->setChecked(true);
    EXPECT_TRUE(window.isEdited());
    // Nothing is stored before "Apply".
    EXPECT_EQ(defaults->floatForKey(str("DoubleClickSpeed")), 25.0);

    window.apply();
    EXPECT_EQ(defaults->integerForKey(str("DoubleClickSpeed")), 40);
    EXPECT_TRUE(defaults->boolForKey(str("AnnounceLayer")));
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.isEdited());
    EXPECT_TRUE(alerts.shown.empty());
    // The stored file has them too.
    platform::Defaults reread(str("Vantir"), folder() + str("/config"));
    EXPECT_TRUE(reread.boolForKey(str("AnnounceLayer")));
}

TEST_F(PreferencesWindowTest, ClosingWithChangesAsksAndEachAnswerDoesWhatItSays) {
    PreferencesWindow window(*preferences, alerts, hooks);
    window.showPreferencesPanel();
    auto* hold = field<QDoubleSpinBox>(window, str("Hold repeat speed:"));

    hold->setValue(80);
    alerts.answers = {platform::doubles::ScriptedAlerts::pressEscape};
    EXPECT_FALSE(window.close());
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].informativeText,
              str("You have made changes but not applied them yet!"));
    EXPECT_EQ(alerts.shown[0].buttons,
              (QStringList{str("Apply"), str("Discard Changes"), str("Cancel Close")}));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(hold->value(), 80);

    alerts.answers = {AlertResponse::Second};
    EXPECT_TRUE(window.close());
    EXPECT_EQ(hold->value(), 55);
    EXPECT_EQ(defaults->floatForKey(str("HoldRepeatSpeed")), 55.0);
    EXPECT_EQ(changes, 0);

    window.showPreferencesPanel();
    hold->setValue(90);
    alerts.answers = {AlertResponse::First};
    EXPECT_TRUE(window.close());
    EXPECT_EQ(defaults->integerForKey(str("HoldRepeatSpeed")), 90);
    EXPECT_EQ(changes, 1);
}

TEST_F(PreferencesWindowTest, TheProgramLearnsWhichTabIsShown) {
    PreferencesWindow window(*preferences, alerts, hooks);
    window.showPreferencesPanel();
    auto* tabs = window.findChild<QTabWidget*>();
    tabs->setCurrentIndex(tabs->count() - 1);
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), kAppleRemoteIDsTab);
    window.close();
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown.front(), std::pair(true, str("Remote")));
    EXPECT_EQ(shown[shown.size() - 2], std::pair(true, kAppleRemoteIDsTab));
    EXPECT_EQ(shown.back(), std::pair(false, kAppleRemoteIDsTab));
}

} // namespace
} // namespace vantir
