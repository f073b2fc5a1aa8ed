#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <map>

class QAction;
class QActionGroup;
class QPropertyAnimation;

namespace kelvane::components {

/// A preferences window whose toolbar switches between panes, cross-fading from one to the
/// next. Subclasses add their panes in `setupToolbar`, called each time the window is shown.
class KVPanedPrefsWindowController : public QObject {
    Q_OBJECT
public:
    explicit KVPanedPrefsWindowController(QObject* parent = nullptr);
    ~KVPanedPrefsWindowController() override;

    void addView(QWidget* view, const QString& label, const QIcon& image);
    void setCrossFade(bool on) { m_crossFade = on; }
    void setShiftSlowsAnimation(bool on) { m_shiftSlowsAnimation = on; }
    bool crossFade() const { return m_crossFade; }

    void showWindow();
    void close();
    void displayViewForIdentifier(const QString& identifier, bool animate);
    QMainWindow* window() { return m_window; }
    QString currentIdentifier() const { return m_current; }

    /// Seconds the old pane takes to fade out.
    static constexpr int kFadeMilliseconds = 250;
    static constexpr int kSlowFadeMilliseconds = 1250;

protected:
    virtual void setupToolbar() = 0;

private:
    QMainWindow* m_window;
    QToolBar* m_toolbar = nullptr;
    QActionGroup* m_actions = nullptr;
    QStringList m_toolbarIdentifiers;
    std::map<QString, QPointer<QWidget>> m_toolbarViews;
    std::map<QString, QAction*> m_toolbarItems;
    QString m_current;
    bool m_crossFade = true;
    bool m_shiftSlowsAnimation = true;
    QPointer<QPropertyAnimation> m_animation;
};

} // namespace kelvane::components
