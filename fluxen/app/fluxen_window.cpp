#include "fluxen/app/fluxen_window.h"

#include "fluxen/app/dt_view.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace fluxen {

namespace {

// The panel's controls never take the keyboard: keys belong to the view.
template <typename Control> Control* keyless(Control* control) {
    control->setFocusPolicy(Qt::NoFocus);
    return control;
}

// A screen reader (and an end-to-end test) finds a control by the caption a user reads.
template <typename Control> Control* named(Control* control, const QString& caption) {
    control->setAccessibleName(caption);
    return control;
}

template <typename Button> Button* namedAfterText(Button* button) {
    return named(button, button->text());
}

} // namespace

FluxenWindow::FluxenWindow(platform::Clock& clock, platform::Defaults& defaults,
                           platform::Resources& resources, MotionSensor& sensor, ManualTilt* tilt,
                           QWidget* parent)
    : QWidget(parent) {
    setWindowTitle(QStringLiteral("Fluxen"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new DTView(clock, defaults, resources, sensor, tilt);
    m_view->startingWindow = this;
    layout->addWidget(named(m_view->makeContainer(this), QStringLiteral("Liquid")), 1);

    auto* panel = new QWidget(this);
    panel->setFixedWidth(260);
    auto* column = new QVBoxLayout(panel);
    auto* sliders = new QFormLayout;
    auto addSlider = [&](const QString& label, int tag, double minimum, double maximum,
                         double scale) {
        auto* slider = named(new TaggedSlider(tag, minimum, maximum, scale, panel), label);
        connect(slider, &TaggedSlider::moved, m_view, &DTView::setTol);
        sliders->addRow(label, slider);
        return slider;
    };
    m_view->pnum_Slider =
        addSlider(QStringLiteral("Particle count"), kParticleCountTag, 1, kTableSize, 1);
    m_view->realR_Slider = addSlider(QStringLiteral("Radius"), kRadiusTag, 2, 30, 10);
    m_view->drawR_Slider = addSlider(QStringLiteral("Drawn size"), kDrawSizeTag, 0.1, 3, 100);
    m_view->gravity_Slider = addSlider(QStringLiteral("Gravity"), kGravityTag, 0, 40, 10);
    m_view->simSpeed_Slider = addSlider(QStringLiteral("Speed"), kSpeedTag, 1, 30, 100);
    m_view->rigid_Slider = addSlider(QStringLiteral("Stiffness"), kRigidTag, 1, 10, 10);
    m_view->motionBlur_Slider = addSlider(QStringLiteral("Trail"), kTrailTag, 0, 10, 10);
    column->addLayout(sliders);

    m_view->flip_CheckBox = namedAfterText(keyless(new QCheckBox(QStringLiteral("Flip"), panel)));
    connect(m_view->flip_CheckBox, &QCheckBox::toggled, m_view,
            [this] { m_view->setTol(m_view->flip_CheckBox); });
    column->addWidget(m_view->flip_CheckBox);

    auto* textureBox =
        named(new QGroupBox(QStringLiteral("Texture"), panel), QStringLiteral("Texture"));
    auto* textureColumn = new QVBoxLayout(textureBox);
    auto* textureGroup = new QButtonGroup(textureBox);
    m_view->textureRow0 =
        namedAfterText(keyless(new QRadioButton(QStringLiteral("dot.png"), textureBox)));
    m_view->textureRow1 =
        namedAfterText(keyless(new QRadioButton(QStringLiteral("halfblurdot"), textureBox)));
    for (QAbstractButton* row : {m_view->textureRow0, m_view->textureRow1}) {
        textureGroup->addButton(row);
        textureColumn->addWidget(row);
        connect(row, &QAbstractButton::toggled, m_view, [this, row](bool on) {
            if (on)
                m_view->setTol(row);
        });
    }
    column->addWidget(textureBox);

    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(new QLabel(QStringLiteral("Colour"), panel));
    auto* well = named(new ColourWell(panel), QStringLiteral("Colour"));
    well->setFixedSize(well->sizeHint());
    well->setToolTip(QStringLiteral("Choose the liquid's colour"));
    connect(well, &QPushButton::clicked, m_view, &DTView::chooseColor);
    m_view->cWell = well;
    colourRow->addWidget(well);
    colourRow->addStretch();
    column->addLayout(colourRow);

    auto* defaultsButton =
        namedAfterText(keyless(new QPushButton(QStringLiteral("Defaults"), panel)));
    connect(defaultsButton, &QPushButton::clicked, m_view, &DTView::setDefaults);
    column->addWidget(defaultsButton);

    m_view->checkUpdates =
        namedAfterText(keyless(new QCheckBox(QStringLiteral("Check for updates"), panel)));
    connect(m_view->checkUpdates, &QCheckBox::toggled, m_view, &DTView::setUpdateButton);
    column->addWidget(m_view->checkUpdates);
    m_view->m_update = new QLabel(QStringLiteral("A newer version is available."), panel);
    m_view->m_update->hide();
    column->addWidget(m_view->m_update);

    column->addStretch();
    auto* links = new QHBoxLayout;
    auto* homepage = namedAfterText(keyless(new QPushButton(QStringLiteral("Homepage"), panel)));
    auto* donate = namedAfterText(keyless(new QPushButton(QStringLiteral("Donate"), panel)));
    homepage->setFlat(true);
    donate->setFlat(true);
    connect(homepage, &QPushButton::clicked, m_view, &DTView::www);
    connect(donate, &QPushButton::clicked, m_view, &DTView::donate);
    links->addWidget(homepage);
    links->addWidget(donate);
    column->addLayout(links);
    layout->addWidget(panel);

    m_view->awakeFromNib();
    m_view->container()->setFocus(Qt::OtherFocusReason);
    const QSize wanted(1024 + 260, 768);
    resize(screen() ? wanted.boundedTo(screen()->availableSize()) : wanted);
}

FluxenWindow::~FluxenWindow() {
    // Bring the view home so that it is destroyed with this window.
    if (m_view->isFullScreenOn())
        m_view->FullScreen();
}

} // namespace fluxen
