#include "voltaro/core/preferences.h"

#include <QUrl>

namespace voltaro {

std::optional<QString> textForKey(const platform::Defaults& defaults, const QString& key) {
    const platform::Value value = defaults.objectForKey(key);
    if (value.type() != platform::Value::Type::String)
        return std::nullopt;
    return value.toString();
}

bool usesUnifiedLook(const platform::Defaults& defaults) {
    return textForKey(defaults, key::kUseUnifiedLook).value_or(QStringLiteral("NO")) ==
           QLatin1String("YES");
}

void loadPreferences(const platform::Defaults& defaults, PreferencesSheet& sheet) {
    sheet.useUnifiedLook = usesUnifiedLook(defaults);
    if (const auto capacity = textForKey(defaults, key::kCustomCapacity)) {
        sheet.customCapacityEnabled = true;
        sheet.customCapacityChecked = true;
        sheet.customCapacityText = *capacity;
    }
    if (const auto serial = textForKey(defaults, key::kCustomSerial)) {
        sheet.customSerialEnabled = true;
        sheet.customSerialChecked = true;
        sheet.customSerialText = *serial;
    }
}

void storePreferences(platform::Defaults& defaults, const PreferencesSheet& sheet) {
    defaults.setString(sheet.useUnifiedLook ? QStringLiteral("YES") : QStringLiteral("NO"),
                       key::kUseUnifiedLook);
    if (sheet.customCapacityChecked)
        defaults.setString(sheet.customCapacityText, key::kCustomCapacity);
    else
        defaults.removeObjectForKey(key::kCustomCapacity);
    if (sheet.customSerialChecked)
        defaults.setString(sheet.customSerialText, key::kCustomSerial);
    else
        defaults.removeObjectForKey(key::kCustomSerial);
    defaults.synchronize();
}

QString donationAddress() {
    const QString account = QString::fromLatin1(QUrl::toPercentEncoding(maker::kDonationAccount));
    return maker::kDonationHost + QStringLiteral("/cgi-bin/webscr?cmd=_xclick&business=") +
           account +
           QStringLiteral("&no_shipping=0&no_note=1&tax=0&currency_code=USD"
                          "&bn=PP%2dDonationsBF&charset=UTF%2d8");
}

} // namespace voltaro
