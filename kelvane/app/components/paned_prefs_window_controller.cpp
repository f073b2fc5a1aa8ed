#include "kelvane/app/components/paned_prefs_window_controller.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>
#include <QScreen>
#include <QStackedWidget>
#include <QToolBar>

#include <cassert>

namespace kelvane::components {

KVPanedPrefsWindowController::KVPanedPrefsWindowController(QObject* parent)
    : QObject(parent), m_window(new QMainWindow) {
    m_window->setCentralWidget(new QStackedWidget);
}

KVPanedPrefsWindowController::~KVPanedPrefsWindowController() {
    delete m_window;
}

void KVPanedPrefsWindowController::addView(QWidget* view, const QString& label,
                                           const QIcon& image) {
    assert(view && "Attempted to add a nil view when calling -addView:label:image:.");
    m_toolbarIdentifiers << label;
    m_toolbarViews[label] = view;
    auto* item = new QAction(image, label, m_actions);
    item->setCheckable(true);
    m_toolbarItems[label] = item;
    m_toolbar->addAction(item);
    // Toggled rather than triggered: assistive technologies toggle a checkable toolbar item
    // without triggering it.
    connect(item, &QAction::toggled, this, [this, label](bool checked) {
        if (checked && label != m_current)
            displayViewForIdentifier(label, true);
    });
    auto* stack = static_cast<QStackedWidget*>(m_window->centralWidget());
    if (stack->indexOf(view) < 0)
        stack->addWidget(view);
}

void KVPanedPrefsWindowController::showWindow() {
    // The toolbar is made anew each time, so the panes can change between showings.
    // The toolbar owns its action group and actions.
    delete m_toolbar;
    m_toolbarIdentifiers.clear();
    m_toolbarViews.clear();
    m_toolbarItems.clear();
    m_toolbar = new QToolBar(m_window);
    m_toolbar->setObjectName(QStringLiteral("KVPreferencesToolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->toggleViewAction()->setVisible(false);
    m_window->setContextMenuPolicy(Qt::NoContextMenu);
    m_window->addToolBar(Qt::TopToolBarArea, m_toolbar);
    m_actions = new QActionGroup(m_toolbar);
    m_actions->setExclusive(true);
    setupToolbar();
    assert(!m_toolbarIdentifiers.isEmpty() &&
           "No items were added to the toolbar in -setupToolbar.");
    displayViewForIdentifier(m_toolbarIdentifiers.first(), false);
    m_window->adjustSize();
    if (const QScreen* screen = m_window->screen())
        m_window->move(screen->availableGeometry().center() - m_window->rect().center());
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void KVPanedPrefsWindowController::close() {
    m_window->close();
}

void KVPanedPrefsWindowController::displayViewForIdentifier(const QString& identifier,
                                                            bool animate) {
    const auto view = m_toolbarViews.find(identifier);
    if (view == m_toolbarViews.end() || !view->second)
        return;
    // Set before checking the item, whose toggled signal must not switch a second time.
    m_current = identifier;
    m_toolbarItems[identifier]->setChecked(true);
    m_window->setWindowTitle(identifier);
    auto* stack = static_cast<QStackedWidget*>(m_window->centralWidget());
    QWidget* old = stack->currentWidget();
    if (m_animation)
        m_animation->stop();
    const auto show = [stack, target = view->second] {
        if (!target)
            return;
        for (int index = 0; index < stack->count(); ++index)
            stack->widget(index)->setGraphicsEffect(nullptr);
        stack->setCurrentWidget(target);
    };
    if (!animate || !m_crossFade || old == view->second || !old) {
        show();
        return;
    }
    const bool slow =
        m_shiftSlowsAnimation && (QApplication::keyboardModifiers() & Qt::ShiftModifier);
    auto* effect = new QGraphicsOpacityEffect(old);
    old->setGraphicsEffect(effect);
    m_animation = new QPropertyAnimation(effect, "opacity", this);
    m_animation->setDuration(slow ? kSlowFadeMilliseconds : kFadeMilliseconds);
    m_animation->setStartValue(1.0);
    m_animation->setEndValue(0.0);
    connect(m_animation, &QPropertyAnimation::finished, this, show);
    m_animation->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace kelvane::components
