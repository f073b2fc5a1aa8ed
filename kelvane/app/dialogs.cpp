#include "kelvane/app/dialogs.h"

#include "platform/core/file_io.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace kelvane {

AboutBox::AboutBox(const platform::StringsTable& strings, const platform::Resources& resources,
                   const QString& version) {
    setWindowTitle(strings.text(QStringLiteral("About"))
                       .replace(QStringLiteral("%@"), QStringLiteral("Kelvane")));
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel(QStringLiteral("Kelvane"));
    QFont bold = name->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.4);
    name->setFont(bold);
    auto* versionField =
        new QLabel(strings.text(QStringLiteral("Version")).replace(QStringLiteral("%@"), version));
    auto* copyright = new QLabel(strings.text(QStringLiteral("NSHumanReadableCopyright")));
    auto* credits = new QTextBrowser;
    credits->setAccessibleName(QStringLiteral("Credits"));
    credits->setOpenExternalLinks(true);
    if (const auto text = platform::readFile(
            resources.pathForResource(QStringLiteral("Credits"), QStringLiteral("html"))))
        credits->setHtml(QString::fromUtf8(*text));
    for (QLabel* label : {name, versionField, copyright})
        label->setAlignment(Qt::AlignHCenter);
    layout->addWidget(name);
    layout->addWidget(versionField);
    layout->addWidget(credits);
    layout->addWidget(copyright);
    resize(360, 300);
}

void AboutBox::showPanel() {
    show();
    raise();
    activateWindow();
}

DonationWindow::DonationWindow()
    : m_dontAskAgain(new QCheckBox(QStringLiteral("Don't ask again for this version"))) {
    setWindowTitle(QStringLiteral("Support Kelvane"));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(
        QStringLiteral("Kelvane is free. If it lights your evenings, please think about a "
                       "small donation to keep it going."));
    text->setWordWrap(true);
    m_dontAskAgain->setAccessibleName(m_dontAskAgain->text());
    auto* buttons = new QDialogButtonBox;
    auto* donate = buttons->addButton(QStringLiteral("Donate\u2026"), QDialogButtonBox::AcceptRole);
    auto* later = buttons->addButton(QStringLiteral("Later"), QDialogButtonBox::RejectRole);
    auto* donated =
        buttons->addButton(QStringLiteral("I Have Donated"), QDialogButtonBox::ActionRole);
    layout->addWidget(text);
    layout->addWidget(m_dontAskAgain);
    layout->addWidget(buttons);
    connect(donate, &QPushButton::clicked, this, &DonationWindow::donateNow);
    connect(later, &QPushButton::clicked, this,
            [this] { Q_EMIT donateLater(dontAskAgainForThisVersion()); });
    connect(donated, &QPushButton::clicked, this, &DonationWindow::hasDonated);
}

bool DonationWindow::dontAskAgainForThisVersion() const {
    return m_dontAskAgain->isChecked();
}

} // namespace kelvane
