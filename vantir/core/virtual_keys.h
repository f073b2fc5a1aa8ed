#pragma once

#include <QString>

namespace vantir {

/// Whether callers may write a virtual key as well as read it.
enum class KeyAccess { ReadOnly, ReadWrite };

/// A virtual key: computed on reading (and, when writable, on writing) by the class that
/// brings it and by every class derived from that one. Records find a key's accessor by
/// message name at run time, so callers name virtual keys through these constants rather than
/// strings: a misspelt constant does not compile, and the model's tests resolve every constant
/// along each class chain that has it and every accessor in the tables against the constants.
struct VirtualKey {
    const char* name;
    /// The class that brings the key.
    const char* className;
    KeyAccess access;

    QString key() const { return QString::fromLatin1(name); }
};

namespace keys {

inline constexpr VirtualKey icon{"icon", "VNTAction", KeyAccess::ReadOnly};
inline constexpr VirtualKey reactivateEnabled{"reactivateEnabled", "VNTAKeystroke",
                                              KeyAccess::ReadOnly};
inline constexpr VirtualKey isMoveMouseType{"isMoveMouseType", "VNTAMouse", KeyAccess::ReadOnly};
inline constexpr VirtualKey isClickMouseType{"isClickMouseType", "VNTAMouse", KeyAccess::ReadOnly};
inline constexpr VirtualKey isScrollWheelType{"isScrollWheelType", "VNTAMouse",
                                              KeyAccess::ReadOnly};
inline constexpr VirtualKey isHoldReleaseSelected{"isHoldReleaseSelected", "VNTAMouse",
                                                  KeyAccess::ReadOnly};
inline constexpr VirtualKey scriptAsData{"scriptAsData", "VNTAAppleScript", KeyAccess::ReadWrite};
inline constexpr VirtualKey layers{"layers", "VNTRemote", KeyAccess::ReadWrite};
inline constexpr VirtualKey nameWithID{"nameWithID", "VNTTriggerLayer", KeyAccess::ReadOnly};
/// A trigger's stored lists, created empty when read and missing.
inline constexpr VirtualKey childs{"childs", "VNTTrigger", KeyAccess::ReadOnly};
inline constexpr VirtualKey repeatChilds{"repeatChilds", "VNTTrigger", KeyAccess::ReadOnly};
/// The name of the action a trigger action refers to.
inline constexpr VirtualKey triggerActionName{"name", "VNTTriggerAction", KeyAccess::ReadOnly};
inline constexpr VirtualKey assignedItem{"assignedItem", "VNTTriggerAction", KeyAccess::ReadWrite};
inline constexpr VirtualKey assignedGroup{"assignedGroup", "VNTTriggerAction",
                                          KeyAccess::ReadWrite};
inline constexpr VirtualKey assignedApplication{"assignedApplication", "VNTTriggerAction",
                                                KeyAccess::ReadWrite};

} // namespace keys

/// Every virtual key of the model.
inline constexpr VirtualKey kVirtualKeys[] = {
    keys::icon,
    keys::reactivateEnabled,
    keys::isMoveMouseType,
    keys::isClickMouseType,
    keys::isScrollWheelType,
    keys::isHoldReleaseSelected,
    keys::scriptAsData,
    keys::layers,
    keys::nameWithID,
    keys::childs,
    keys::repeatChilds,
    keys::triggerActionName,
    keys::assignedItem,
    keys::assignedGroup,
    keys::assignedApplication,
};

} // namespace vantir
