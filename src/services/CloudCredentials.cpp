#include "services/CloudCredentials.h"

#include "core/CloudError.h"

#include <QLoggingCategory>

#include <libsecret/secret.h>

#include <memory>

Q_LOGGING_CATEGORY(lcCloudCredentials, "vorno.services.cloudcredentials")

namespace vorno {

namespace {

const SecretSchema *schema()
{
    // The reserved fields of the C struct, on one line.
    // clang-format off
    static const SecretSchema items = {
        "app.vorno.desktop.CloudCredentials",
        SECRET_SCHEMA_DONT_MATCH_NAME,
        {
            {"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {"origin", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
        },
        0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    };
    // clang-format on
    return &items;
}

struct ValueUnref
{
    void operator()(SecretValue *value) const { secret_value_unref(value); }
};
using Value = std::unique_ptr<SecretValue, ValueUnref>;

// Any error from the Secret Service is the vault failing; the message may name
// the item, so only its domain and code are logged.
void failOn(GError *error, const char *step)
{
    if (!error)
        return;
    qCWarning(lcCloudCredentials) << step << "failed:" << g_quark_to_string(error->domain) << error->code;
    g_error_free(error);
    throw CloudError(CloudFailure::storage);
}

} // namespace

CloudCredentials::CloudCredentials(QString service, QString origin)
    : m_service(std::move(service)), m_origin(std::move(origin))
{
}

std::optional<QByteArray> CloudCredentials::read(const QString &key)
{
    const QByteArray service = m_service.toUtf8();
    const QByteArray origin = m_origin.toUtf8();
    const QByteArray account = key.toUtf8();
    GError *error = nullptr;
    const Value value(secret_password_lookup_binary_sync(schema(), nullptr, &error, "service", service.constData(),
                                                         "origin", origin.constData(), "account", account.constData(),
                                                         nullptr));
    failOn(error, "lookup");
    if (!value)
        return std::nullopt;
    gsize length = 0;
    const gchar *bytes = secret_value_get(value.get(), &length);
    return QByteArray(bytes, qsizetype(length));
}

void CloudCredentials::write(const std::optional<QByteArray> &data, const QString &key)
{
    const QByteArray service = m_service.toUtf8();
    const QByteArray origin = m_origin.toUtf8();
    const QByteArray account = key.toUtf8();
    GError *error = nullptr;
    if (!data) {
        // False without an error only means there was nothing to remove.
        secret_password_clear_sync(schema(), nullptr, &error, "service", service.constData(), "origin",
                                   origin.constData(), "account", account.constData(), nullptr);
        failOn(error, "clear");
        return;
    }
    const Value value(secret_value_new(data->constData(), gssize(data->size()), "application/octet-stream"));
    const gboolean stored = secret_password_store_binary_sync(
        schema(), SECRET_COLLECTION_DEFAULT, "Vorno Companion login", value.get(), nullptr, &error, "service",
        service.constData(), "origin", origin.constData(), "account", account.constData(), nullptr);
    failOn(error, "store");
    if (!stored)
        throw CloudError(CloudFailure::storage);
}

} // namespace vorno
