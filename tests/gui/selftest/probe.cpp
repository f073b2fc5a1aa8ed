// A small window with one widget of each kind the end-to-end tests reach, so that the GUI
// harness can be proven on its own before any program's tests rely on it. Its labels keep no
// accessible name of their own: Qt then gives their text as the name, which a test reads.

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QSpinBox>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWidget>

namespace {

void sendNotification(const QString& summary) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("gui-harness-probe") << 0u << QString() << summary
         << QStringLiteral("body") << QStringList() << QVariantMap() << -1;
    QDBusConnection::sessionBus().call(call);
}

// Written on quit, so a test can check that a value set through the tree reached the program.
void saveLevel(int level) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QFile file(folder + QStringLiteral("/gui-harness-probe.txt"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QByteArray::number(level) + '\n');
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("gui-harness-probe"));

    QWidget window;
    window.setWindowTitle(QStringLiteral("Probe"));
    auto* layout = new QVBoxLayout(&window);

    auto* count = new QPushButton(QStringLiteral("Count"));
    auto* presses = new QLabel(QStringLiteral("Presses: 0"));
    QObject::connect(count, &QPushButton::clicked, presses, [presses, n = 0]() mutable {
        presses->setText(QStringLiteral("Presses: %1").arg(++n));
    });

    auto* level = new QSlider(Qt::Horizontal);
    level->setAccessibleName(QStringLiteral("Level"));
    level->setRange(0, 100);
    auto* steps = new QSpinBox;
    steps->setAccessibleName(QStringLiteral("Steps"));
    steps->setRange(1, 9);
    auto* shown = new QLabel(QStringLiteral("Level: 0"));
    QObject::connect(level, &QSlider::valueChanged, shown, [shown](int value) {
        shown->setText(QStringLiteral("Level: %1").arg(value));
    });

    auto* note = new QLineEdit;
    note->setAccessibleName(QStringLiteral("Note"));

    auto* entries = new QTableWidget(2, 2);
    entries->setAccessibleName(QStringLiteral("Entries"));
    entries->setHorizontalHeaderLabels({QStringLiteral("Date"), QStringLiteral("Charge")});
    entries->setItem(0, 0, new QTableWidgetItem(QStringLiteral("2026-12-01")));
    entries->setItem(0, 1, new QTableWidgetItem(QStringLiteral("81 %")));
    entries->setItem(1, 0, new QTableWidgetItem(QStringLiteral("2026-12-02")));
    entries->setItem(1, 1, new QTableWidgetItem(QStringLiteral("79 %")));

    auto* tray = new QLabel(QSystemTrayIcon::isSystemTrayAvailable() ? QStringLiteral("Tray: yes")
                                                                     : QStringLiteral("Tray: no"));
    auto* notify = new QPushButton(QStringLiteral("Notify"));
    QObject::connect(notify, &QPushButton::clicked, notify,
                     [note] { sendNotification(note->text()); });

    for (QWidget* widget :
         {static_cast<QWidget*>(count), static_cast<QWidget*>(presses),
          static_cast<QWidget*>(level), static_cast<QWidget*>(steps), static_cast<QWidget*>(shown),
          static_cast<QWidget*>(note), static_cast<QWidget*>(entries), static_cast<QWidget*>(tray),
          static_cast<QWidget*>(notify)})
        layout->addWidget(widget);

    auto* quit = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Q")), &window);
    QObject::connect(quit, &QShortcut::activated, &application, &QApplication::quit);
    QObject::connect(&application, &QApplication::aboutToQuit, level,
                     [level] { saveLevel(level->value()); });

    window.show();
    return application.exec();
}
