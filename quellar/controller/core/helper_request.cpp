#include "quellar/controller/core/helper_request.h"

#include "platform/core/property_list.h"
#include "quellar/controller/core/system_paths.h"

#include <QRegularExpression>

#include <array>

namespace quellar {

namespace {

using platform::Error;

struct VerbName {
    HelperVerb verb;
    const char* name;
};
constexpr std::array<VerbName, 16> kVerbs{{
    {HelperVerb::InstallDaemon, "install-daemon"},
    {HelperVerb::RemoveDaemon, "remove-daemon"},
    {HelperVerb::InstallConfig, "install-config"},
    {HelperVerb::RemoveConfig, "remove-config"},
    {HelperVerb::WriteConfig, "write-config"},
    {HelperVerb::InstallDriver, "install-driver"},
    {HelperVerb::RemoveDriver, "remove-driver"},
    {HelperVerb::LoadDriver, "load-driver"},
    {HelperVerb::UnloadDriver, "unload-driver"},
    {HelperVerb::EnableDaemon, "enable-daemon"},
    {HelperVerb::DisableDaemon, "disable-daemon"},
    {HelperVerb::SetControl, "set-control"},
    {HelperVerb::GovernorUserspace, "governor-userspace"},
    {HelperVerb::GovernorRestore, "governor-restore"},
    {HelperVerb::ReadStatus, "read-status"},
    {HelperVerb::Reboot, "reboot"},
}};

// Only short, plain values reach the messages, so that a hostile one cannot flood the log.
QString shown(const QString& text) {
    QString plain = text.left(40);
    for (QChar& c : plain) {
        if (!c.isPrint())
            c = QLatin1Char('?');
    }
    return QLatin1Char('"') + plain +
           (text.size() > 40 ? QStringLiteral("...\"") : QStringLiteral("\""));
}

bool isNumberUpTo(const QString& text, int digits, long long highest) {
    static const QRegularExpression number(QStringLiteral("\\A[0-9]{1,16}\\z"));
    if (text.size() > digits || !number.match(text).hasMatch())
        return false;
    return text.toLongLong() <= highest;
}

platform::Expected<void> checkList(const QString& list, const char* which) {
    if (list.size() > 30 * 6)
        return Error{QStringLiteral("the %1 list is too long").arg(QLatin1StringView(which))};
    if (list.isEmpty())
        return {};
    if (!list.endsWith(QLatin1Char(':')))
        return Error{QStringLiteral("the %1 list %2 does not end with a colon")
                         .arg(QLatin1StringView(which), shown(list))};
    const QStringList settings = list.chopped(1).split(QLatin1Char(':'));
    if (settings.size() > 30)
        return Error{QStringLiteral("the %1 list holds more than 30 settings")
                         .arg(QLatin1StringView(which))};
    for (const QString& setting : settings) {
        if (!isNumberUpTo(setting, 5, 0xFFFF) || setting.toLongLong() == 0)
            return Error{QStringLiteral("the %1 list %2 holds %3, which is no packed setting")
                             .arg(QLatin1StringView(which), shown(list), shown(setting))};
    }
    return {};
}

// Checks an optional option: its name and a valid value, or two empty strings.
platform::Expected<void> checkOptional(const QString& option, const QString& value,
                                       const char* name, bool (*valid)(const QString&)) {
    if (option.isEmpty() && value.isEmpty())
        return {};
    if (option != QLatin1StringView(name))
        return Error{QStringLiteral("expected %1 or an empty string, not %2")
                         .arg(QLatin1StringView(name), shown(option))};
    if (!valid(value))
        return Error{
            QStringLiteral("%1 does not take %2").arg(QLatin1StringView(name), shown(value))};
    return {};
}

bool isLimits(const QString& value) {
    const QStringList parts = value.split(QLatin1Char(':'));
    return parts.size() == 2 && isNumberUpTo(parts[0], 3, 100) && isNumberUpTo(parts[1], 3, 100);
}

bool isRate(const QString& value) {
    return isNumberUpTo(value, 2, 50) && value.toInt() >= 1;
}

bool isTemperature(const QString& value) {
    return isNumberUpTo(value, 3, 150) && value.toInt() >= 1;
}

} // namespace

QString verbName(HelperVerb verb) {
    for (const VerbName& entry : kVerbs) {
        if (entry.verb == verb)
            return QString::fromLatin1(entry.name);
    }
    return {};
}

platform::Expected<HelperRequest> parseHelperRequest(const QStringList& arguments) {
    if (arguments.isEmpty())
        return Error{QStringLiteral("no verb given")};
    const QString& verb = arguments.first();
    for (const VerbName& entry : kVerbs) {
        if (verb != QLatin1StringView(entry.name))
            continue;
        HelperRequest request{entry.verb};
        if (entry.verb == HelperVerb::SetControl) {
            if (arguments.size() != 2)
                return Error{QStringLiteral("set-control takes one packed setting")};
            if (!isNumberUpTo(arguments[1], 5, 0xFFFF))
                return Error{QStringLiteral("set-control does not take %1: a packed setting is "
                                            "a decimal number from 0 to 65535")
                                 .arg(shown(arguments[1]))};
            request.setting = arguments[1].toUInt();
            return request;
        }
        if (arguments.size() != 1)
            return Error{QStringLiteral("%1 takes no arguments").arg(verb)};
        return request;
    }
    return Error{QStringLiteral("unknown verb %1").arg(shown(verb))};
}

platform::Expected<void> checkDaemonArguments(const QStringList& arguments) {
    if (arguments.size() != 11)
        return Error{QStringLiteral("the daemon takes 11 arguments, not %1").arg(arguments.size())};
    if (arguments[0] != QLatin1StringView(kInstalledDaemonPath))
        return Error{QStringLiteral("the program must be %1, not %2")
                         .arg(QLatin1StringView(kInstalledDaemonPath), shown(arguments[0]))};
    if (arguments[1] != QStringLiteral("-a") || arguments[3] != QStringLiteral("-b"))
        return Error{QStringLiteral("the tables must follow -a and -b")};
    if (auto checked = checkList(arguments[2], "adapter"); !checked)
        return checked;
    if (auto checked = checkList(arguments[4], "battery"); !checked)
        return checked;
    if (auto checked = checkOptional(arguments[5], arguments[6], "-l", isLimits); !checked)
        return checked;
    if (auto checked = checkOptional(arguments[7], arguments[8], "-i", isRate); !checked)
        return checked;
    return checkOptional(arguments[9], arguments[10], "-t", isTemperature);
}

platform::Expected<QStringList> parseLaunchDaemonFile(const QByteArray& bytes) {
    if (bytes.size() > kMaxConfigBytes)
        return Error{
            QStringLiteral("the launch-daemon file is larger than %1 bytes").arg(kMaxConfigBytes)};
    const auto parsed = platform::readPropertyList(bytes);
    if (!parsed)
        return Error{
            QStringLiteral("the launch-daemon file is no property list: %1").arg(parsed.error())};
    const platform::DictionaryRef root = parsed->toDictionary();
    if (!root)
        return Error{QStringLiteral("the launch-daemon file is no dictionary")};
    QStringList arguments;
    for (const auto& [key, value] : *root) {
        if (key == QStringLiteral("Label")) {
            if (value.toString() != QLatin1StringView(kLaunchDaemonLabel))
                return Error{QStringLiteral("the label must be %1")
                                 .arg(QLatin1StringView(kLaunchDaemonLabel))};
        } else if (key == QStringLiteral("Disabled")) {
            if (value.type() != platform::Value::Type::Boolean)
                return Error{QStringLiteral("\"Disabled\" must be a boolean")};
        } else if (key == QStringLiteral("ProgramArguments")) {
            const platform::ArrayRef list = value.toArray();
            if (!list)
                return Error{QStringLiteral("\"ProgramArguments\" must be an array")};
            for (const platform::Value& argument : *list) {
                if (argument.type() != platform::Value::Type::String)
                    return Error{QStringLiteral("\"ProgramArguments\" must hold only strings")};
                arguments << argument.toString();
            }
        } else {
            return Error{
                QStringLiteral("the launch-daemon file may not hold the key %1").arg(shown(key))};
        }
    }
    if (auto checked = checkDaemonArguments(arguments); !checked)
        return Error{checked.error()};
    return arguments;
}

QByteArray switcherUnit(const QStringList& arguments) {
    QStringList words;
    for (const QString& argument : arguments)
        words << (argument.isEmpty() ? QStringLiteral("\"\"") : argument);
    return QStringLiteral("# Written by quellar-helper for QuellarController; changes are lost.\n"
                          "[Unit]\n"
                          "Description=Processor frequency/voltage switcher\n"
                          "Documentation=man:QuellarSwitcher(8)\n"
                          "After=systemd-modules-load.service\n"
                          "\n"
                          "[Service]\n"
                          "Type=simple\n"
                          "ExecStartPre=-/sbin/modprobe msr\n"
                          "ExecStart=%1\n"
                          "Restart=on-failure\n"
                          "RuntimeDirectory=quellar\n"
                          "RuntimeDirectoryMode=0755\n"
                          "ProtectHome=yes\n"
                          "ProtectSystem=strict\n"
                          "PrivateTmp=yes\n"
                          "NoNewPrivileges=yes\n"
                          "\n"
                          "[Install]\n"
                          "WantedBy=multi-user.target\n")
        .arg(words.join(QLatin1Char(' ')))
        .toUtf8();
}

} // namespace quellar
