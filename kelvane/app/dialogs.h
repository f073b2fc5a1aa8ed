#pragma once

#include "platform/core/resources.h"

#include <QDialog>

class QCheckBox;

namespace kelvane {

/// The about panel: name, version, copyright and credits.
class AboutBox final : public QDialog {
    Q_OBJECT
public:
    AboutBox(const platform::StringsTable& strings, const platform::Resources& resources,
             const QString& version);
    void showPanel();
    void closePanel() { close(); }
};

/// The reminder that asks for a donation.
class DonationWindow final : public QDialog {
    Q_OBJECT
public:
    DonationWindow();
    bool dontAskAgainForThisVersion() const;

Q_SIGNALS:
    void donateNow();
    void donateLater(bool dontAskAgainForThisVersion);
    void hasDonated();

private:
    QCheckBox* m_dontAskAgain;
};

} // namespace kelvane
