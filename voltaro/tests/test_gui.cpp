// Voltaro's windows under Xvfb, on the simulated battery.

#include "platform/core/defaults.h"
#include "platform/core/file_io.h"
#include "voltaro/app/history_window.h"
#include "voltaro/app/main_window.h"
#include "voltaro/app/preferences_window.h"
#include "voltaro/app/voltaro_application.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace voltaro;

namespace {

class Gui : public ::testing::Test {
protected:
    Gui() {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/data")));
    }
    /// Starts the program on the simulated battery and waits for the first refresh.
    MainWindow& startSimulated() {
        Options options;
        options.simulate = true;
        application = std::make_unique<VoltaroApplication>(options);
        EXPECT_TRUE(application->start());
        MainWindow& window = application->mainWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        // The worker runs the stand-ins on the simulated tree; the display follows within a
        // second.
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return window.valueFields().front()->isVisible(); }, 20000));
        return window;
    }

    QTemporaryDir home;
    std::unique_ptr<VoltaroApplication> application;
};

// Whether the region of `widget` in the window's screenshot has something drawn in it: more
// than one colour.
bool drawn(const QImage& shot, const QWidget& window, const QWidget& widget) {
    const QRect area(widget.mapTo(&window, QPoint(0, 0)) * shot.devicePixelRatio(),
                     widget.size() * shot.devicePixelRatio());
    const QImage part = shot.copy(area);
    if (part.isNull())
        return false;
    const QRgb first = part.pixel(0, 0);
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x)
            if (part.pixel(x, y) != first)
                return true;
    return false;
}

TEST_F(Gui, TheSimulatedBatteryIsShownAfterTheFirstRefresh) {
    MainWindow& window = startSimulated();
    const QList<QLabel*> fields = window.valueFields();
    ASSERT_EQ(fields.size(), 10);

    // The window draws itself into the picture at once; nothing to wait for.
    const QImage shot = window.grab().toImage();
    ASSERT_FALSE(shot.isNull());
    const QString path = qEnvironmentVariable("VOLTARO_SCREENSHOT");
    if (!path.isEmpty()) {
        EXPECT_TRUE(shot.save(path));
    }

    for (QLabel* field : fields) {
        EXPECT_TRUE(field->isVisible()) << qPrintable(field->objectName());
        EXPECT_FALSE(field->text().isEmpty()) << qPrintable(field->objectName());
        EXPECT_TRUE(drawn(shot, window, *field)) << qPrintable(field->objectName()) << " not drawn";
    }
    EXPECT_TRUE(drawn(shot, window, *window.chargeLevelBar()));
    EXPECT_TRUE(drawn(shot, window, *window.archTextField()));
    EXPECT_TRUE(fields[0]->text().endsWith(QStringLiteral(" mAh")));
    EXPECT_EQ(fields[4]->text(), QStringLiteral("5000 mAh")) << "the design capacity";
    EXPECT_EQ(fields[5]->text(), QStringLiteral("88 %")) << "4400 of 5000";
    EXPECT_EQ(fields[6]->text(), QStringLiteral("212"));
    EXPECT_GT(window.chargeLevelBar()->fraction(), 0.0);
}

TEST_F(Gui, HistoryEntriesAreTabledPlottedAndSavedAtQuit) {
    MainWindow& window = startSimulated();
    window.saveDataButton()->click();
    window.saveDataButton()->click();
    window.historyButton()->click();
    HistoryWindow& history = application->historyWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&history));
    EXPECT_EQ(history.table()->model()->rowCount(), 2);
    EXPECT_EQ(history.table()->model()->index(0, 1).data().toString(),
              QStringLiteral("88 % (4400 mAh)"));
    EXPECT_EQ(history.series()->count(), 2);
    EXPECT_EQ(history.series()->at(0).y(), 88);
    QString path = qEnvironmentVariable("VOLTARO_SCREENSHOT");
    if (!path.isEmpty()) {
        EXPECT_TRUE(history.grab().save(
            path.replace(QStringLiteral(".png"), QStringLiteral("-history.png"))));
    }

    history.table()->selectRow(0);
    history.deleteSelected();
    EXPECT_EQ(history.table()->model()->rowCount(), 1);
    application->undoStack().undo();
    EXPECT_EQ(history.table()->model()->rowCount(), 2);
    application->undoStack().undo(); // the second entry's addition
    EXPECT_EQ(history.table()->model()->rowCount(), 1);

    EXPECT_TRUE(window.close());
    const auto saved =
        platform::readFile(home.path() + QStringLiteral("/data/Voltaro/Voltaro.xml"));
    ASSERT_TRUE(saved);
    const auto records = decodeHistory(*saved);
    ASSERT_TRUE(records);
    EXPECT_EQ(records->size(), 1u);
}

TEST_F(Gui, AReadingWithoutAHealthIsNotAddedToTheHistory) {
    {
        platform::Defaults defaults(QStringLiteral("Voltaro"));
        defaults.setString(QStringLiteral("none"), key::kCustomCapacity);
    }
    MainWindow& window = startSimulated();
    EXPECT_EQ(window.valueFields()[4]->text(), QString()) << "no design capacity";
    EXPECT_EQ(window.valueFields()[5]->text(), QString()) << "no health";
    EXPECT_FALSE(window.saveDataButton()->isEnabled());
    QAction* addEntry = nullptr;
    for (QAction* action : window.findChildren<QAction*>())
        if (action->text() == QStringLiteral("&Add Entry"))
            addEntry = action;
    ASSERT_NE(addEntry, nullptr);
    addEntry->trigger();
    EXPECT_TRUE(application->delegate().managedObjectContext().records().empty());
    EXPECT_EQ(application->undoStack().count(), 0);
}

TEST_F(Gui, AnUnreadableHistoryIsMovedAsideAtStart) {
    ASSERT_TRUE(platform::writeFileAtomically(
        home.path() + QStringLiteral("/data/Voltaro/Voltaro.xml"), "torn"));
    // The alert is a modal dialog; close it as soon as it shows.
    QTimer::singleShot(0, [] {
        if (QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }))
            QApplication::activeModalWidget()->close();
    });
    startSimulated();
    const QStringList kept = QDir(home.path() + QStringLiteral("/data/Voltaro"))
                                 .entryList({QStringLiteral("Voltaro.xml.unreadable-*")});
    EXPECT_EQ(kept.size(), 1);
    EXPECT_FALSE(QFile::exists(home.path() + QStringLiteral("/data/Voltaro/Voltaro.xml")));
}

TEST_F(Gui, PreferencesSheetSavesAndStartsAWorker) {
    MainWindow& window = startSimulated();
    PreferencesSheet sheet;
    sheet.customCapacityChecked = true;
    sheet.customCapacityEnabled = true;
    sheet.customCapacityText = QStringLiteral("5500");
    window.main_openPreferences();
    window.preferencesWindow()->setSheet(sheet);
    ASSERT_TRUE(window.preferencesWindow()->isVisible());
    QString path = qEnvironmentVariable("VOLTARO_SCREENSHOT");
    if (!path.isEmpty()) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.preferencesWindow()));
        EXPECT_TRUE(window.preferencesWindow()->grab().save(
            path.replace(QStringLiteral(".png"), QStringLiteral("-preferences.png"))));
    }
    window.preferencesWindow()
        ->findChild<QDialogButtonBox*>()
        ->button(QDialogButtonBox::Save)
        ->click();
    EXPECT_FALSE(window.preferencesWindow()->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(window.valueFields()[4]->text(), QStringLiteral("5500 mAh"), 20000);
    EXPECT_EQ(window.valueFields()[5]->text(), QStringLiteral("80 %"));
}

} // namespace
