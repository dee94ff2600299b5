#include "UserDefaults.h"

#include <QSettings>

namespace vorno {

namespace {

const QString organization = QStringLiteral("vorno");
const QString application = QStringLiteral("app.vorno.desktop");

} // namespace

std::optional<bool> UserDefaults::boolean(const QString &key)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, organization, application);
    store.sync(); // pick up what another process wrote
    const QVariant value = store.value(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    // The INI format keeps Booleans as the words true and false.
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == u"true")
            return true;
        if (text == u"false")
            return false;
    }
    return std::nullopt;
}

void UserDefaults::setBoolean(const QString &key, bool value)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, organization, application);
    store.setValue(key, value);
    store.sync();
}

} // namespace vorno
