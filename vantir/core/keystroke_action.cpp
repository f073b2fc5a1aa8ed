#include "vantir/core/keystroke_action.h"

#include "platform/core/alerts.h"
#include "platform/core/event_poster.h"
#include "platform/core/front_application.h"
#include "platform/core/keyboard_layout.h"
#include "platform/core/log.h"
#include "platform/core/virtual_key_codes.h"
#include "platform/core/workspace.h"

#include <algorithm>
#include <array>

namespace vantir {

namespace {

struct Modifier {
    const char* key;
    int keyCode;
};

// Pressed in this order and released in the reverse one.
constexpr std::array kModifiers{
    Modifier{"shiftDown", platform::vk::Shift},
    Modifier{"controlDown", platform::vk::Control},
    Modifier{"optionDown", platform::vk::Option},
    Modifier{"commandDown", platform::vk::Command},
};

// The flash-mode call waited this long after each key, for applications that read the
// keyboard's state rather than its events.
constexpr double kFlashModeKeyPause = 0.04;

struct CommandName {
    const char* keyName;
    std::initializer_list<const char*> commands;
};

const std::initializer_list<CommandName> kCommandNames = {
    {"UP",
     {"moveUp:", "moveToBeginningOfParagraph:", "moveUpAndModifySelection:",
      "moveToBeginningOfDocument:", "scrollPageUp:", "moveParagraphBackwardAndModifySelection:"}},
    {"DOWN",
     {"moveDown:", "moveToEndOfParagraph:", "moveDownAndModifySelection:", "moveToEndOfDocument:",
      "scrollPageDown:", "moveParagraphForwardAndModifySelection:"}},
    {"LEFT",
     {"moveLeft:", "moveWordLeftAndModifySelection:", "moveWordLeft:", "moveToBeginningOfLine:",
      "moveLeftAndModifySelection:", "moveToBeginningOfLineAndModifySelection:"}},
    {"RIGHT",
     {"moveRight:", "moveWordRightAndModifySelection:", "moveWordRight:", "moveToEndOfLine:",
      "moveRightAndModifySelection:", "moveToEndOfLineAndModifySelection:"}},
    {"DELETE", {"deleteForward:", "deleteWordForward:"}},
    {"BACKSPACE",
     {"deleteBackward:", "deleteWordBackward:", "deleteBackwardByDecomposingPreviousCharacter:"}},
    {"PAGE UP", {"pageUp:", "pageUpAndModifySelection:"}},
    {"PAGE DOWN", {"pageDown:", "pageDownAndModifySelection:"}},
    {"ESCAPE", {"cancelOperation:"}},
    {"BEGINNING OF FILE",
     {"scrollToBeginningOfDocument:", "moveToBeginningOfDocumentAndModifySelection:"}},
    {"END OF FILE", {"scrollToEndOfDocument:", "moveToEndOfDocumentAndModifySelection:"}},
    {"ENTER", {"insertNewline:"}},
    {"TAB", {"insertTab:", "insertBacktab:"}},
    {"F5", {"complete:"}},
    {"<not supported>", {"noop:"}},
};

} // namespace

bool KeystrokePerformer::perform(const VNTAction& action) {
    // Without a display the poster said so once; there is nothing to bring forward or type.
    if (!m_services.poster.isUsable())
        return false;
    const QString previous = m_services.front.frontApplicationName();
    const QString appName = action.stringForKey(QStringLiteral("appName"));
    const QString target = appName.isEmpty() ? previous : appName;
    const bool bringToFront = action.boolForKey(QStringLiteral("bringToFront"));

    // The program itself, or no application at all, counts as running. The program has no
    // desktop entry to start it by; it is only brought forward when it has a window.
    const bool isOwnOrNone = target.isEmpty() || isProgramName(target);
    // Listing the desktop's windows asks the server about each; only ask when it decides.
    const auto hasWindow = [&] {
        return m_services.workspace.launchedApplications().contains(target, Qt::CaseInsensitive);
    };
    bool launched = true;
    if (isOwnOrNone) {
        if (bringToFront && hasWindow())
            m_services.workspace.launchApplication(target);
    } else if (bringToFront || !hasWindow()) {
        launched = m_services.workspace.launchApplication(target);
    }
    if (!launched) {
        m_services.alerts.runModal(
            platform::Alert{platform::AlertStyle::Warning,
                            QStringLiteral("Vantir Alert"),
                            QStringLiteral("Could not launch application '%1'!").arg(target),
                            {QStringLiteral("OK")}});
        return false;
    }

    const qint64 delay = action.integerForKey(QStringLiteral("delayTime"));
    if (delay > 0 && m_services.pause)
        m_services.pause(double(delay) / 1000.0);

    const bool flashMode = action.boolForKey(QStringLiteral("useFlashMode"));
    bool sent = true;
    std::vector<int> held;
    for (const Modifier& modifier : kModifiers) {
        if (!action.boolForKey(QString::fromLatin1(modifier.key)))
            continue;
        if (sendKeyCode(modifier.keyCode, true, flashMode))
            held.push_back(modifier.keyCode);
        else
            sent = false;
    }
    const QString keyStrokes = action.stringForKey(QStringLiteral("keyStrokes"));
    if (!keyStrokes.isEmpty()) {
        for (const char32_t character : keyStrokes.toUcs4()) {
            // A character the layout cannot type is skipped.
            const std::optional<int> keyCode = m_services.layout.keyCodeForCharacter(character);
            if (!keyCode)
                continue;
            sent = sendKeyCode(*keyCode, true, flashMode) && sent;
            sent = sendKeyCode(*keyCode, false, flashMode) && sent;
        }
    } else {
        const int keyCode = int(action.integerForKey(QStringLiteral("keyCode")));
        sent = sendKeyCode(keyCode, true, flashMode) && sent;
        sent = sendKeyCode(keyCode, false, flashMode) && sent;
    }
    // Whatever failed on the way, no modifier is left held.
    for (auto keyCode = held.rbegin(); keyCode != held.rend(); ++keyCode)
        sent = sendKeyCode(*keyCode, false, flashMode) && sent;

    if (bringToFront && action.boolForKey(QStringLiteral("reActivate")) && !previous.isEmpty() &&
        !isProgramName(previous))
        m_services.workspace.launchApplication(previous);
    return sent;
}

bool KeystrokePerformer::sendKeyCode(int keyCode, bool down, bool flashMode) {
    const bool posted = m_services.poster.postKey(keyCode, down ? platform::KeyState::Down
                                                                : platform::KeyState::Up);
    // Without a display the poster said so once when it was made; a key code without a key is
    // the action's own fault and said every time.
    if (!posted && !platform::x11KeycodeForVirtualKeyCode(keyCode))
        platform::log(
            QStringLiteral("VNTAKeystroke: key code %1 has no key on this system").arg(keyCode));
    if (posted && flashMode && m_services.pause)
        m_services.pause(kFlashModeKeyPause);
    return posted;
}

QStringList applicationsMenuItems(const platform::Workspace& workspace) {
    QStringList names = workspace.launchedApplications();
    names << QStringLiteral("Front Row");
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    names.prepend(QStringLiteral("Applications"));
    return names;
}

QString keyNameForCommand(const QString& command) {
    for (const CommandName& entry : kCommandNames) {
        for (const char* name : entry.commands) {
            if (command == QLatin1String(name))
                return QString::fromLatin1(entry.keyName);
        }
    }
    return command;
}

void recordKeyInKeyField(const VNTAction& action, int keyCode, const QString& characters) {
    action.setObject(keyCode, QStringLiteral("keyCode"));
    action.setObject(false, QStringLiteral("useKeystrokes"));
    action.setObject(QString(), QStringLiteral("keyStrokes"));
    action.setObject(characters == QLatin1String(" ") ? QStringLiteral("SPACE") : characters,
                     QStringLiteral("keyCodeName"));
}

bool recordCommandInKeyField(const VNTAction& action, const QString& command, int keyCode,
                             ModifierFlags modifiers) {
    action.setObject(keyNameForCommand(command), QStringLiteral("keyCodeName"));
    action.setObject(keyCode, QStringLiteral("keyCode"));
    action.setObject(false, QStringLiteral("useKeystrokes"));
    action.setObject(QString(), QStringLiteral("keyStrokes"));
    action.setObject(modifiers.shift, QStringLiteral("shiftDown"));
    action.setObject(modifiers.control, QStringLiteral("controlDown"));
    action.setObject(modifiers.option, QStringLiteral("optionDown"));
    action.setObject(modifiers.command, QStringLiteral("commandDown"));
    return true;
}

void recordTypingInTextField(const VNTAction& action) {
    action.setObject(0, QStringLiteral("keyCode"));
    action.setObject(true, QStringLiteral("useKeystrokes"));
    action.setObject(QString(), QStringLiteral("keyCodeName"));
}

} // namespace vantir
