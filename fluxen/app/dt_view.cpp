#include "fluxen/app/dt_view.h"

#include "fluxen/core/motion_sensor.h"
#include "fluxen/core/web_addresses.h"
#include "platform/core/defaults.h"
#include "platform/core/log.h"
#include "platform/core/resources.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QOpenGLContext>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace fluxen {

namespace {

// One press of an arrow key tilts by an eighth of a quarter turn; a quarter turn at most.
constexpr int kTiltStep = 32;
constexpr int kMostTilt = 256;

bool isModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return true;
    default:
        return false;
    }
}

QImage loadImage(const platform::Resources& resources, const QString& name) {
    const QString path = resources.pathForResource(name, QStringLiteral("png"));
    return path.isEmpty() ? QImage() : QImage(path);
}

void drawCircle2(float x, float y, float halfWidth, float halfHeight, float red, float green,
                 float blue, float alpha, int h) {
    glColor4f(red, green, blue, alpha);
    glPushMatrix();
    glTranslatef(x, static_cast<float>(h) - y, 0);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(-halfWidth, halfHeight, 0);
    glTexCoord2f(0, 1);
    glVertex3f(-halfWidth, -halfHeight, 0);
    glTexCoord2f(1, 1);
    glVertex3f(halfWidth, -halfHeight, 0);
    glTexCoord2f(1, 0);
    glVertex3f(halfWidth, halfHeight, 0);
    glEnd();
    glPopMatrix();
}

} // namespace

QSurfaceFormat liquidSurfaceFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setAlphaBufferSize(8);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setSwapInterval(1);
    return format;
}

TaggedSlider::TaggedSlider(int tag, double minimum, double maximum, double scale, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), m_tag(tag), m_scale(scale) {
    setRange(static_cast<int>(std::lround(minimum * scale)),
             static_cast<int>(std::lround(maximum * scale)));
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QSlider::valueChanged, this, [this] { Q_EMIT moved(this); });
}

void TaggedSlider::setFloatValue(double value) {
    const QSignalBlocker blocker(this);
    setValue(static_cast<int>(std::lround(value * m_scale)));
}

ColourWell::ColourWell(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
}

void ColourWell::setColor(const QColor& colour) {
    m_colour = colour;
    // A screen reader tells the colour by its description.
    setAccessibleDescription(colour.name());
    update();
}

void ColourWell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.setPen(palette().color(isDown() ? QPalette::Highlight : QPalette::Mid));
    painter.setBrush(palette().color(QPalette::Button));
    painter.drawRect(frame);
    painter.fillRect(frame.adjusted(3, 3, -2, -2), m_colour);
}

DTView::DTView(platform::Clock& clock, platform::Defaults& defaults, platform::Resources& resources,
               MotionSensor& sensor, ManualTilt* tilt)
    // The trail fades the previous frame, so the frame must be kept between draws.
    : QOpenGLWindow(QOpenGLWindow::PartialUpdateBlit), m_clock(clock), m_defaults(defaults),
      m_resources(resources), m_tilt(tilt) {
    setFormat(liquidSurfaceFormat());

    first = true;
    m_simulation.calibrate(sensor);
    check = loadSettings(m_defaults, m_simulation, m_look);
}

namespace {

// Whether this display gives OpenGL contexts at all: Qt crashes painting an OpenGL window
// without one, so the view is then never shown.
bool displayOffersOpenGL() {
    QOpenGLContext probe;
    probe.setFormat(liquidSurfaceFormat());
    return probe.create();
}

} // namespace

QWidget* DTView::makeContainer(QWidget* parent) {
    if (!displayOffersOpenGL()) {
        platform::log(QStringLiteral("this display offers no OpenGL; the liquid cannot be shown"));
        auto* notice = new QLabel(QStringLiteral("This display offers no OpenGL."), parent);
        notice->setAlignment(Qt::AlignCenter);
        m_container = notice;
    } else {
        m_container = QWidget::createWindowContainer(this, parent);
    }
    m_container->setFocusPolicy(Qt::StrongFocus);
    m_container->setMinimumSize(320, 240);
    return m_container;
}

DTView::~DTView() {
    myTimer.reset();
    m_updateTimer.reset();
}

void DTView::initializeGL() {
    // Runs again whenever the view gets a new context (moving between windows), so the set-up
    // and the textures are made for each.
    if (!context() || !context()->isValid()) {
        platform::log(QStringLiteral("No OpenGL pixel format"));
        return;
    }
    setVisuals();
}

void DTView::setVisuals() {
    textures = std::make_unique<NiceTextures>(this);
    textures->useImageAsTexture(loadImage(m_resources, QStringLiteral("dot")), kDotSlot, 16);
    textures->useImageAsTexture(loadImage(m_resources, QStringLiteral("halfblurdot")),
                                kHalfBlurDotSlot, 32);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 0.5f);
}

void DTView::paintGL() {
    if (first) {
        first = false;
        glEnable(GL_TEXTURE_2D);
        platform::log(QStringLiteral("first GL inits"));
        makeTimer();
        updateProjection();
        initObjects();
        glClear(GL_COLOR_BUFFER_BIT);
        drawSizeRule();
    }

    updateProjection();
    // Bound again each frame: the context may be new since the last one.
    if (textures && m_boundSlot)
        glBindTexture(GL_TEXTURE_2D, textures->textureName(*m_boundSlot));

    const int w = m_simulation.w;
    const int h = m_simulation.h;
    if (clearsEachFrame(m_look.motionBlur)) {
        glClear(GL_COLOR_BUFFER_BIT);
    } else {
        glDisable(GL_TEXTURE_2D);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        drawCircle2(0, 0, static_cast<float>(w), static_cast<float>(h), 0, 0, 0, m_look.motionBlur,
                    h);
        glEnable(GL_TEXTURE_2D);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    }

    // One colour for the whole liquid; particle 0 is never drawn. All quads go to GL in one
    // array: the same vertices as one begin/end batch, without a call per corner.
    const std::vector<Particle>& o = m_simulation.o;
    const Particle& colour = o[std::min<std::size_t>(1, o.size() - 1)];
    glColor4f(colour.red, colour.green, colour.blue, 1);
    const int drawn = std::max(m_simulation.NUM_OBJ - 1, 0);
    m_corners.resize(static_cast<std::size_t>(drawn) * 8);
    while (m_cornerTexCoords.size() < m_corners.size())
        m_cornerTexCoords.insert(m_cornerTexCoords.end(), {0, 0, 0, 1, 1, 1, 1, 0});
    float smallestHalfSide = std::numeric_limits<float>::max();
    float* corner = m_corners.data();
    for (int i = 1; i < m_simulation.NUM_OBJ; ++i) {
        const float s = o[i].radius * m_look.globalRadius;
        const float cx = o[i].x;
        const float cy = static_cast<float>(kWorldHeight) - o[i].y;
        smallestHalfSide = std::min(smallestHalfSide, s);
        const float quad[8] = {cx - s, cy + s, cx - s, cy - s, cx + s, cy - s, cx + s, cy + s};
        corner = std::copy(std::begin(quad), std::end(quad), corner);
    }
    if (textures && m_boundSlot)
        filterForDrawnSize(textures->textureSize(*m_boundSlot), 2 * smallestHalfSide);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, m_corners.data());
    glTexCoordPointer(2, GL_FLOAT, 0, m_cornerTexCoords.data());
    glDrawArrays(GL_QUADS, 0, drawn * 4);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void DTView::filterForDrawnSize(int textureSide, float smallestSide) {
    // A texture drawn larger than itself everywhere is only ever magnified, and then its
    // mipmaps are never read: plain linear filtering gives the same picture, and a software
    // renderer skips working out a mipmap level for every pixel. The margin keeps rounding
    // at the boundary on the mipmapped side.
    const double pixelsPerUnit = std::min(static_cast<double>(width()) / m_simulation.w,
                                          static_cast<double>(height()) / kWorldHeight) *
                                 devicePixelRatio();
    const bool onlyMagnified =
        textureSide > 0 && smallestSide * pixelsPerUnit >= textureSide * 1.01;
    const GLint filter = onlyMagnified ? GL_LINEAR : GL_LINEAR_MIPMAP_LINEAR;
    GLint current = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &current);
    if (current != filter)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
}

void DTView::updateProjection() {
    const qreal ratio = devicePixelRatio();
    glViewport(0, 0, static_cast<GLsizei>(width() * ratio), static_cast<GLsizei>(height() * ratio));
    m_simulation.h = kWorldHeight;
    m_simulation.w = worldWidthFor(width(), height());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, m_simulation.w, 0, kWorldHeight, -9000, 9000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void DTView::makeTimer() {
    myTimer = m_clock.scheduleTimer(1.0 / TIME, platform::Repeats::Yes, [this] { refresh(); });
}

void DTView::refresh() {
    m_simulation.step();
    update();
}

void DTView::clearColourBuffer() {
    // Before the first frame there is no picture to clear (and no frame buffer to hold one).
    if (first || !context() || !context()->isValid())
        return;
    makeCurrent();
    glClear(GL_COLOR_BUFFER_BIT);
}

void DTView::initObjects() {
    m_simulation.initObjects();
    clearColourBuffer();
}

void DTView::drawSizeRule() {
    const std::optional<int> slot = applyDrawSizeRule(m_look);
    if (slot)
        m_boundSlot = slot;
}

void DTView::keyPressEvent(QKeyEvent* event) {
    if (m_tilt) {
        // Without a motion sensor the arrow keys tilt the liquid; every other key still
        // toggles full screen.
        switch (event->key()) {
        case Qt::Key_Left:
            m_tilt->setTilt(std::min(m_tilt->tilt() + kTiltStep, kMostTilt));
            return;
        case Qt::Key_Right:
            m_tilt->setTilt(std::max(m_tilt->tilt() - kTiltStep, -kMostTilt));
            return;
        case Qt::Key_Down:
            m_tilt->setTilt(0);
            return;
        default:
            break;
        }
    }
    // The desktop's quit keys end the program through its quit path, which saves the settings.
    if (event->matches(QKeySequence::Quit)) {
        QCoreApplication::quit();
        return;
    }
    // A held key would toggle back and forth with every repeat, and a modifier pressed on its
    // own is no key press yet (it may be the start of the quit keys).
    if (event->isAutoRepeat() || isModifierKey(event->key()))
        return;
    FullScreen();
    if (fullScreenOn)
        setCursor(Qt::BlankCursor);
    else
        unsetCursor();
}

void DTView::mousePressEvent(QMouseEvent*) {
    initObjects();
}

void DTView::FullScreen() {
    if (!m_container)
        return;
    if (!fullScreenOn) {
        QWidget* holder = m_container->parentWidget();
        if (!holder || !holder->layout())
            return;
        tmpView = new QWidget(holder);
        tmpView->setMinimumSize(m_container->minimumSize());
        oldRect = m_container->geometry();
        delete holder->layout()->replaceWidget(m_container, tmpView);

        auto* window =
            new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        window->setWindowTitle(QStringLiteral("fullScreen Win"));
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->installEventFilter(this);
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        QScreen* screen = startingWindow ? startingWindow->screen() : this->screen();
        window->setGeometry(screen->geometry());
        m_fullScreenWindow = window;
        window->showFullScreen();
        // The view's own window moves into the new one only once that exists on the screen.
        layout->addWidget(m_container);
        m_container->show();
        window->raise();
        window->activateWindow();
        m_container->setFocus(Qt::OtherFocusReason);
        initObjects();
        fullScreenOn = true;
        return;
    }

    if (tmpView && tmpView->parentWidget() && tmpView->parentWidget()->layout()) {
        QWidget* holder = tmpView->parentWidget();
        delete holder->layout()->replaceWidget(tmpView, m_container);
        delete tmpView;
        m_container->setGeometry(oldRect);
        m_container->show();
    }
    if (m_fullScreenWindow) {
        m_fullScreenWindow->removeEventFilter(this);
        m_fullScreenWindow->close();
    }
    if (startingWindow) {
        startingWindow->raise();
        startingWindow->activateWindow();
    }
    m_container->setFocus(Qt::OtherFocusReason);
    initObjects();
    fullScreenOn = false;
}

bool DTView::eventFilter(QObject* watched, QEvent* event) {
    // Closing the full-screen window by other means returns the view to its window rather
    // than closing the view with it.
    if (watched == m_fullScreenWindow && event->type() == QEvent::Close && fullScreenOn) {
        event->ignore();
        QTimer::singleShot(0, this, [this] {
            if (fullScreenOn) {
                FullScreen();
                unsetCursor();
            }
        });
        return true;
    }
    return QOpenGLWindow::eventFilter(watched, event);
}

void DTView::setControls() {
    const ControlPositions positions = controlPositions(m_simulation, m_look);
    if (cWell)
        cWell->setColor(QColor::fromRgbF(positions.red, positions.green, positions.blue));
    if (pnum_Slider)
        pnum_Slider->setFloatValue(positions.pnum);
    if (flip_CheckBox) {
        const QSignalBlocker blocker(flip_CheckBox);
        flip_CheckBox->setChecked(positions.flip != 0);
    }
    if (realR_Slider)
        realR_Slider->setFloatValue(positions.realR);
    if (drawR_Slider)
        drawR_Slider->setFloatValue(positions.drawR);
    if (gravity_Slider)
        gravity_Slider->setFloatValue(positions.gravity);
    if (simSpeed_Slider)
        simSpeed_Slider->setFloatValue(positions.simSpeed);
    if (rigid_Slider)
        rigid_Slider->setFloatValue(positions.rigid);
    if (motionBlur_Slider)
        motionBlur_Slider->setFloatValue(positions.motionBlur);
    if (textureRow0 && textureRow1) {
        const QSignalBlocker blocker0(textureRow0);
        const QSignalBlocker blocker1(textureRow1);
        textureRow0->setChecked(positions.textureRow == 0);
        textureRow1->setChecked(positions.textureRow == 1);
    }
}

void DTView::awakeFromNib() {
    setControls();
    if (check == 1) {
        if (checkUpdates) {
            const QSignalBlocker blocker(checkUpdates);
            checkUpdates->setChecked(true);
        }
        asked = 1;
        scheduleUpdateCheck(2.0);
    }
}

void DTView::setTol(QObject* sender) {
    int tag = 0;
    double value = 0;
    if (auto* slider = qobject_cast<TaggedSlider*>(sender)) {
        tag = slider->tag();
        value = slider->floatValue();
    } else if (sender && sender == flip_CheckBox) {
        tag = kFlipTag;
        value = flip_CheckBox->isChecked() ? 1 : 0;
    } else if (sender && (sender == textureRow0 || sender == textureRow1)) {
        tag = kTextureTag;
        value = textureRow1 && textureRow1->isChecked() ? 1 : 0;
    }
    const ControlChange change = fluxen::setTol(tag, value, m_simulation, m_look);
    if (change.logLine)
        platform::log(*change.logLine);
    if (change.resetParticles)
        clearColourBuffer();
    if (change.textureSlot)
        m_boundSlot = change.textureSlot;
}

void DTView::setColor(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    m_simulation.setColour(static_cast<float>(rgb.redF()), static_cast<float>(rgb.greenF()),
                           static_cast<float>(rgb.blueF()));
    if (cWell)
        cWell->setColor(rgb);
}

void DTView::chooseColor() {
    const QColor current = QColor::fromRgbF(m_simulation.r, m_simulation.g, m_simulation.b);
    const QColor chosen =
        QColorDialog::getColor(current, m_container, QStringLiteral("Liquid colour"));
    if (chosen.isValid())
        setColor(chosen);
}

void DTView::setDefaults() {
    const std::optional<int> slot = fluxen::setDefaults(m_simulation, m_look);
    setControls();
    clearColourBuffer();
    if (slot)
        m_boundSlot = slot;
}

void DTView::setUpdateButton() {
    check = checkUpdates && checkUpdates->isChecked() ? 1 : 0;
    if (check == 1 && asked == 0) {
        platform::log(QStringLiteral("Asking in 5..."));
        asked = 1;
        scheduleUpdateCheck(5.0);
    }
}

void DTView::scheduleUpdateCheck(double seconds) {
    m_updateTimer =
        m_clock.scheduleTimer(seconds, platform::Repeats::No, [this] { askForUpdates(); });
}

void DTView::askForUpdates() {
    QString server = m_defaults.stringForKey(QLatin1String(kUpdateServerKey)).trimmed();
    if (server.isEmpty())
        server = QLatin1String(kDefaultUpdateServer);
    const QUrl url = updateCheckUrl(server);
    m_updateChecker.pingHome(
        url, kUpdateCheckTimeoutMs, this, [this, url](std::optional<QByteArray> body) {
            if (!body) {
                platform::log(QStringLiteral("no answer from %1").arg(url.toDisplayString()));
                return;
            }
            if (isUpdateAvailable(*body) && m_update)
                m_update->show();
            platform::log(QString::fromUtf8(*body));
        });
}

void DTView::saveSettings() {
    ControlValues controls;
    if (pnum_Slider)
        controls.pnum = pnum_Slider->intValue();
    if (realR_Slider)
        controls.realR = static_cast<float>(realR_Slider->floatValue());
    if (drawR_Slider)
        controls.drawR = static_cast<float>(drawR_Slider->floatValue());
    if (gravity_Slider)
        controls.gravity = static_cast<float>(gravity_Slider->floatValue());
    if (rigid_Slider)
        controls.rigid = static_cast<float>(rigid_Slider->floatValue());
    controls.textureRow = textureRow1 && textureRow1->isChecked() ? 1 : 0;
    fluxen::saveSettings(m_defaults, controls, m_simulation, m_look, check);
}

void DTView::applicationShouldTerminate() {
    saveSettings();
}

void DTView::donate() {
    QDesktopServices::openUrl(QUrl::fromEncoded(donationAddress()));
}

void DTView::www() {
    QDesktopServices::openUrl(homepageUrl());
}

} // namespace fluxen
