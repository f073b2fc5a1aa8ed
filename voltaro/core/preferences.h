#pragma once

#include "platform/core/defaults.h"

#include <QString>

#include <optional>

namespace voltaro {

/// Voltaro's user defaults, all stored as text.
namespace key {
inline const QString kUseUnifiedLook = QStringLiteral("useUnifiedLook"); ///< "YES" or "NO"
inline const QString kCustomCapacity = QStringLiteral("customCapacity"); ///< leading integer, mAh
inline const QString kCustomSerial = QStringLiteral("customSerial");     ///< an 11-character serial
} // namespace key

/// The text stored under `key`, or nothing when the key holds no text.
std::optional<QString> textForKey(const platform::Defaults& defaults, const QString& key);

/// Whether "useUnifiedLook" reads "YES" (absent counts as "NO").
bool usesUnifiedLook(const platform::Defaults& defaults);

/// The state of the preferences sheet's controls.
struct PreferencesSheet {
    bool useUnifiedLook = false;
    bool customCapacityChecked = false;
    bool customCapacityEnabled = false; ///< of the text field; the checkbox is always enabled
    QString customCapacityText;
    bool customSerialChecked = false;
    bool customSerialEnabled = false;
    QString customSerialText;
    friend bool operator==(const PreferencesSheet&, const PreferencesSheet&) = default;
};

/// Fills `sheet` from the defaults: the look checkbox always; the capacity and serial controls
/// only when their key holds text (checked, field enabled, text in the field), otherwise they
/// are left as they are.
void loadPreferences(const platform::Defaults& defaults, PreferencesSheet& sheet);

/// Stores the sheet: "useUnifiedLook" as "YES" or "NO"; each custom text when its checkbox is
/// on, otherwise its key is removed. No validation; the defaults are written at once.
void storePreferences(platform::Defaults& defaults, const PreferencesSheet& sheet);

/// The maker's addresses, all in one place.
namespace maker {
inline const QString kHomepage = QStringLiteral("https://notebook-suite.example.org/voltaro/");
inline const QString kDonationHost = QStringLiteral("https://www.paypal.com");
inline const QString kDonationAccount = QStringLiteral("donations@notebook-suite.example.org");
} // namespace maker

/// The PayPal donation form for the maker's account: "/cgi-bin/webscr" with the query fields in
/// their fixed order, the account URL-encoded.
QString donationAddress();

} // namespace voltaro
