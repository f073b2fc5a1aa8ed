// The program's window under a real X server with Mesa's software OpenGL: it starts, pours
// the liquid, toggles full screen on a key, tilts with the arrow keys, checks for updates and
// saves its settings.

#include "fluxen/app/dt_view.h"
#include "fluxen/app/fluxen_window.h"
#include "fluxen/core/motion_sensor.h"
#include "fluxen/core/web_addresses.h"
#include "platform/core/defaults.h"
#include "platform/core/log.h"
#include "platform/core/resources.h"
#include "platform/testing/loopback_http_server.h"
#include "platform/testing/manual_clock.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>
#include <memory>

namespace fluxen {
namespace {

// Mesa unloads its driver when the last context goes, and the driver's globals go with it; the
// leak checker at exit then reports what only those globals still referenced. Keeping the
// driver loaded lets it see that memory as reachable, so what it reports is ours.
void keepGraphicsDriverLoaded() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void*) {
            if (info->dlpi_name && std::strstr(info->dlpi_name, "_dri.so"))
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

class Window : public ::testing::Test {
protected:
    Window() {
        platform::setLogSink([this](const QString& line) { lines << line; });
    }
    ~Window() override {
        window.reset();
        platform::setLogSink({});
    }

    void start() {
        window = std::make_unique<FluxenWindow>(clock, defaults, resources, tilt, &tilt);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return view()->hasDrawnFirstFrame(); }, 10000));
        keepGraphicsDriverLoaded();
    }
    DTView* view() const { return window->view(); }

    // The picture of the view's next frame, drawn from the simulation as it stands.
    QImage nextPicture() {
        QSignalSpy swapped(view(), &QOpenGLWindow::frameSwapped);
        view()->update();
        EXPECT_TRUE(swapped.wait(5000)) << "no frame drawn";
        return view()->grabFramebuffer();
    }

    // What the screen shows where `widget` is.
    static QImage onScreen(const QWidget* widget) {
        const QRect area(widget->mapToGlobal(QPoint(0, 0)), widget->size());
        return widget->screen()
            ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
            .toImage();
    }

    // Share of lit pixels in the lower and the upper half of the view's picture.
    static std::pair<double, double> litShares(const QImage& picture) {
        long lower = 0, upper = 0;
        const int half = picture.height() / 2;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb pixel = picture.pixel(x, y);
                // The liquid's blue, not the grey of an empty window.
                if (qBlue(pixel) > 96 && qRed(pixel) < 64)
                    ++(y >= half ? lower : upper);
            }
        }
        const double pixels = static_cast<double>(picture.width()) * half;
        return {lower / pixels, upper / pixels};
    }

    QTemporaryDir config;
    platform::Defaults defaults{QLatin1String(kDefaultsDomain), config.path()};
    platform::doubles::ManualClock clock;
    platform::Resources resources{QStringLiteral("fluxen")};
    ManualTilt tilt;
    QStringList lines;
    std::unique_ptr<FluxenWindow> window;
};

TEST_F(Window, PoursTheLiquidToTheBottomAndTogglesFullScreen) {
    start();
    EXPECT_TRUE(lines.contains(QStringLiteral("first GL inits")));
    clock.advance(5.0); // 300 steps of the frame timer
    EXPECT_NEAR(static_cast<double>(view()->simulation().counter), 300, 1);
    const QImage picture = nextPicture();
    picture.save(QDir::temp().filePath(QStringLiteral("fluxen-window-check.png")));
    const auto [lower, upper] = litShares(picture);
    EXPECT_GT(lower, 0.08) << "liquid in the lower half";
    EXPECT_LT(upper, lower / 10) << "little above it";
    EXPECT_GT(litShares(onScreen(view()->container())).first, 0.08) << "shown on the screen";

    QTest::keyClick(view(), Qt::Key_F);
    QWidget* fullScreen = view()->container()->window();
    ASSERT_NE(fullScreen, window.get());
    EXPECT_EQ(fullScreen->windowTitle(), QStringLiteral("fullScreen Win"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fullScreen));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return fullScreen->geometry() == fullScreen->screen()->geometry(); }, 5000));
    EXPECT_EQ(view()->cursor().shape(), Qt::BlankCursor);
    EXPECT_TRUE(view()->isFullScreenOn());
    clock.advance(5.0);
    const auto [fullLower, fullUpper] = litShares(nextPicture());
    EXPECT_GT(fullLower, 0.05);
    EXPECT_LT(fullUpper, fullLower / 10);
    EXPECT_GT(litShares(onScreen(fullScreen)).first, 0.05) << "shown on the screen";

    QTest::keyClick(view(), Qt::Key_F);
    EXPECT_EQ(view()->container()->window(), window.get());
    EXPECT_FALSE(view()->isFullScreenOn());
    EXPECT_NE(view()->cursor().shape(), Qt::BlankCursor);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view()->fullScreenWindow() == nullptr; }, 5000));
    EXPECT_TRUE(view()->container()->isVisible());
    EXPECT_GT(view()->container()->width(), 600);
    clock.advance(5.0);
    nextPicture();
    EXPECT_GT(litShares(onScreen(view()->container())).first, 0.05) << "shown again in the window";
}

TEST_F(Window, ArrowKeysTiltAndModifiersAloneToggleNothing) {
    start();
    QTest::keyClick(view(), Qt::Key_Left);
    EXPECT_EQ(tilt.tilt(), 32);
    QTest::keyClick(view(), Qt::Key_Right);
    QTest::keyClick(view(), Qt::Key_Right);
    EXPECT_EQ(tilt.tilt(), -32);
    QTest::keyClick(view(), Qt::Key_Down);
    EXPECT_EQ(tilt.tilt(), 0);
    // A modifier on its own is no key press yet: it may start the quit keys.
    QTest::keyClick(view(), Qt::Key_Control);
    QTest::keyClick(view(), Qt::Key_Shift);
    EXPECT_FALSE(view()->isFullScreenOn());

    tilt.setTilt(160);
    clock.advance(6.0);
    double sum = 0;
    const Simulation& liquid = view()->simulation();
    for (int i = 1; i < liquid.NUM_OBJ; ++i)
        sum += liquid.o[i].x;
    EXPECT_LT(sum / (liquid.NUM_OBJ - 1), liquid.w / 3.0) << "the liquid ran to the left";
}

TEST_F(Window, SettingsAreReadAtStartAndWrittenAtQuit) {
    defaults.setInteger(5000, QStringLiteral("pnum"));
    defaults.setInteger(1, QStringLiteral("texture"));
    start();
    EXPECT_EQ(view()->simulation().NUM_OBJ, kTableSize);
    EXPECT_EQ(view()->pnum_Slider->intValue(), kTableSize);
    EXPECT_TRUE(view()->textureRow1->isChecked());

    view()->gravity_Slider->setValue(250); // 25.0, through the slider's own signal
    EXPECT_EQ(view()->simulation().gravity, 25.0f);
    EXPECT_TRUE(lines.contains(QStringLiteral("gravity: 25.000000")));
    view()->textureRow0->click();
    EXPECT_FLOAT_EQ(view()->appearance().globalRadius, 1.47f);
    view()->applicationShouldTerminate();

    platform::Defaults reread(QLatin1String(kDefaultsDomain), config.path());
    EXPECT_EQ(reread.integerForKey(QStringLiteral("pnum")), kTableSize);
    EXPECT_EQ(reread.floatForKey(QStringLiteral("gravity")), 25.0);
    EXPECT_EQ(reread.integerForKey(QStringLiteral("texture")), 0);
}

TEST_F(Window, ColourWellShowsTheChosenColourItself) {
    start();
    // The default deep blue, then a colour set through the well's action.
    for (const QColor& chosen : {QColor::fromRgbF(0, 0.048494f, 1), QColor(200, 30, 60)}) {
        if (chosen != QColor::fromRgbF(0, 0.048494f, 1))
            view()->setColor(chosen);
        const QImage well = view()->cWell->grab().toImage();
        const QColor centre = well.pixelColor(well.width() / 2, well.height() / 2);
        EXPECT_EQ(centre.name().toStdString(), chosen.name().toStdString());
        EXPECT_EQ(view()->simulation().o[1].red, static_cast<float>(chosen.redF()));
    }
}

using platform::doubles::LoopbackHttpServer;

TEST_F(Window, UpdateCheckAtStartShowsTheField) {
    LoopbackHttpServer server("update available");
    defaults.setInteger(1, QStringLiteral("check"));
    defaults.setString(server.address(), QLatin1String(kUpdateServerKey));
    start();
    EXPECT_TRUE(view()->checkUpdates->isChecked());
    EXPECT_FALSE(view()->m_update->isVisibleTo(window.get()));
    clock.advance(2.0);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return view()->m_update->isVisibleTo(window.get()); }, 10000));
    EXPECT_EQ(server.requests(), 1);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return lines.contains(QStringLiteral("update available")); }));
}

TEST_F(Window, SwitchingTheCheckboxAgainAsksOnlyOnce) {
    LoopbackHttpServer server("no update");
    defaults.setString(server.address(), QLatin1String(kUpdateServerKey));
    start();
    view()->checkUpdates->setChecked(true);
    EXPECT_TRUE(lines.contains(QStringLiteral("Asking in 5...")));
    view()->checkUpdates->setChecked(false);
    view()->checkUpdates->setChecked(true);
    EXPECT_EQ(lines.count(QStringLiteral("Asking in 5...")), 1);
    clock.advance(5.0);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return lines.contains(QStringLiteral("no update")); }, 10000));
    clock.advance(10.0);
    EXPECT_EQ(server.requests(), 1);
    EXPECT_FALSE(view()->m_update->isVisibleTo(window.get()));
}

} // namespace
} // namespace fluxen
