#include "quellar/controller/linux/secret_keychain.h"

#include "platform/core/log.h"

#include <libsecret/secret.h>

namespace quellar {

namespace {

const SecretSchema* schema() {
    static const SecretSchema quellar = {"org.notebooksuite.Quellar2",
                                         SECRET_SCHEMA_NONE,
                                         {{"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                          {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                          {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                         0,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr};
    return &quellar;
}

bool failed(GError* error, const char* what) {
    if (!error)
        return false;
    platform::log(QStringLiteral("keychain: cannot %1: %2")
                      .arg(QLatin1StringView(what), QString::fromUtf8(error->message)));
    g_error_free(error);
    return true;
}

} // namespace

bool SecretKeychain::add(const QString& name, const QString& password) {
    GError* error = nullptr;
    const bool stored = secret_password_store_sync(
        schema(), SECRET_COLLECTION_DEFAULT, "Quellar2", password.toUtf8().constData(), nullptr,
        &error, "service", "Quellar2", "account", name.toUtf8().constData(), nullptr);
    return !failed(error, "store the password") && stored;
}

QString SecretKeychain::password(const QString& name) {
    GError* error = nullptr;
    gchar* secret = secret_password_lookup_sync(schema(), nullptr, &error, "service", "Quellar2",
                                                "account", name.toUtf8().constData(), nullptr);
    if (failed(error, "read the password") || !secret)
        return {};
    const QString password = QString::fromUtf8(secret);
    secret_password_free(secret);
    return password;
}

QString SecretKeychain::storedAccount() {
    GError* error = nullptr;
    GList* items = secret_password_search_sync(schema(), SECRET_SEARCH_NONE, nullptr, &error,
                                               "service", "Quellar2", nullptr);
    if (failed(error, "look for the stored administrator") || !items)
        return {};
    QString account;
    GHashTable* found = secret_retrievable_get_attributes(SECRET_RETRIEVABLE(items->data));
    if (const auto* value = static_cast<const char*>(g_hash_table_lookup(found, "account")))
        account = QString::fromUtf8(value);
    g_hash_table_unref(found);
    g_list_free_full(items, g_object_unref);
    return account;
}

bool SecretKeychain::remove(const QString& name) {
    GError* error = nullptr;
    const bool removed =
        secret_password_clear_sync(schema(), nullptr, &error, "service", "Quellar2", "account",
                                   name.toUtf8().constData(), nullptr);
    return !failed(error, "remove the password") && removed;
}

} // namespace quellar
