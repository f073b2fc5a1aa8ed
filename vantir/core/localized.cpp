#include "vantir/core/localized.h"

namespace vantir {

const platform::Resources& vantirResources() {
    static const platform::Resources resources(QStringLiteral("vantir"));
    return resources;
}

const platform::StringsTable& vantirStrings() {
    static const platform::StringsTable table =
        platform::StringsTable::load(vantirResources(), QStringLiteral("Localizable"));
    return table;
}

QString localized(const platform::StringsTable& table, const QString& key) {
    const QString text = table.text(key);
    return text.isEmpty() ? key : text;
}

QString formatted(const QString& format, const QStringList& arguments) {
    QString result;
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('%') && i + 1 < format.size()) {
            const QChar directive = format.at(i + 1);
            if (directive == QLatin1Char('@')) {
                result += next < arguments.size() ? arguments.at(next) : QString();
                ++next;
                ++i;
                continue;
            }
            if (directive == QLatin1Char('%')) {
                result += QLatin1Char('%');
                ++i;
                continue;
            }
        }
        result += c;
    }
    return result;
}

} // namespace vantir
