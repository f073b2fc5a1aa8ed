#pragma once

#include "quellar/controller/core/privileged.h"

namespace quellar {

/// The keychain on the desktop's Secret Service (libsecret): generic password items with the
/// service and label "Quellar2" and the account as attribute. Without a Secret Service every
/// call fails (adding and removing answer false, reading answers empty), with one log line.
class SecretKeychain final : public Keychain {
public:
    bool add(const QString& name, const QString& password) override;
    QString password(const QString& name) override;
    QString storedAccount() override;
    bool remove(const QString& name) override;
};

} // namespace quellar
