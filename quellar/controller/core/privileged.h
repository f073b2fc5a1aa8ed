#pragma once

#include "quellar/controller/core/helper_request.h"

#include <QByteArray>

#include <optional>

namespace quellar {

/// Administrator rights for the helper's verbs. On Linux polkit asks for the password itself
/// and keeps the authorization a few minutes; `authorize` only says whether asking is possible.
class Privileged {
public:
    virtual ~Privileged() = default;
    /// False when no authorization can be had at all.
    virtual bool authorize() = 0;
    /// Drops what is kept of the authorization, where the system allows it.
    virtual void deauthenticate() = 0;
    /// Runs one verb with rights. Answers what the helper printed, or nothing when the
    /// authorization was refused or cancelled or the verb failed. `input` is the helper's
    /// standard input (the launch-daemon file of write-config).
    virtual std::optional<QByteArray> run(const HelperRequest& request,
                                          const QByteArray& input = {}) = 0;
};

/// Waits on the calling thread. Tests hand in a virtual one.
class Pause {
public:
    virtual ~Pause() = default;
    virtual void pause(double seconds) = 0;
};

/// The administrator account whose password is kept in the user's keychain (service and label
/// "Quellar2", account = the name).
class Keychain {
public:
    virtual ~Keychain() = default;
    virtual bool add(const QString& name, const QString& password) = 0;
    /// The password of the first matching item, or empty.
    virtual QString password(const QString& name) = 0;
    /// The account of a stored item, or empty when there is none.
    virtual QString storedAccount() = 0;
    virtual bool remove(const QString& name) = 0;
};

} // namespace quellar
