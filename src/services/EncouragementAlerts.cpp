#include "services/EncouragementAlerts.h"

#include "BuildConstants.h"
#include "core/EncouragementNote.h"
#include "core/WebUrl.h"
#include "platform/DesktopNotifications.h"
#include "support/Preferences.h"
#include "support/Words.h"

#include <QDesktopServices>
#include <QRegularExpression>

namespace vorno {

namespace {

const QString applicationTitle = QStringLiteral("vorno");

// A UUID in its canonical text form only: no braces, no other spelling.
bool isUuidText(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    return form.match(text).hasMatch();
}

} // namespace

EncouragementAlerts::EncouragementAlerts(DesktopNotifications *desktop, Preferences *preferences, Opener open,
                                         QUrl origin, QObject *parent)
    : QObject(parent), m_desktop(desktop), m_preferences(preferences),
      m_open(open ? std::move(open) : Opener([](const QUrl &url) { return QDesktopServices::openUrl(url); })),
      m_origin(origin.isEmpty() ? QUrl(QString::fromLatin1(build::webOrigin)) : std::move(origin))
{
    if (m_desktop)
        connect(m_desktop, &DesktopNotifications::activated, this, &EncouragementAlerts::onActivated);
}

QCoro::Task<bool> EncouragementAlerts::allowed()
{
    if (!m_desktop)
        co_return false;
    co_return co_await m_desktop->available();
}

QCoro::Task<bool> EncouragementAlerts::send(EncouragementNote note)
{
    if (!note.valid())
        co_return false;
    QPointer<EncouragementAlerts> guard(this);
    if (!co_await allowed() || !guard || !m_desktop)
        co_return false;
    co_return co_await m_desktop->post(prefix + note.id, applicationTitle, Words(Words::aiPrivate).string());
}

QCoro::Task<bool> EncouragementAlerts::test()
{
    if (!m_preferences || !m_preferences->encouragementOS())
        co_return false;
    QPointer<EncouragementAlerts> guard(this);
    if (!co_await allowed() || !guard || !m_desktop)
        co_return false;
    const Request request = testRequest();
    co_return co_await m_desktop->post(request.identifier, request.title, request.body);
}

EncouragementAlerts::Request EncouragementAlerts::testRequest()
{
    return {testIdentifier, applicationTitle + QStringLiteral(" \u00B7 ") + Words(Words::aiTest).string(),
            Words(Words::aiTestBody).string()};
}

std::optional<QUrl> EncouragementAlerts::destination(const QString &identifier, const QUrl &origin)
{
    if (!identifier.startsWith(prefix))
        return std::nullopt;
    const QString rest = identifier.mid(prefix.size());
    QUrl account = WebUrl::appending(origin, QStringLiteral("account"));
    if (rest == u"test") {
        account.setFragment(QStringLiteral("encouragement"));
        return account;
    }
    if (!isUuidText(rest))
        return std::nullopt;
    account = WebUrl::withQuery(account, {{QStringLiteral("encouragement"), rest}});
    account.setFragment(QStringLiteral("encouragement-latest"));
    return account;
}

QCoro::Task<NotificationCenter::Authorization> EncouragementAlerts::authorization()
{
    co_return co_await allowed() ? Authorization::authorized : Authorization::denied;
}

QCoro::Task<bool> EncouragementAlerts::requestAuthorization()
{
    // Desktop notification servers ask nothing: alerts are allowed where one runs.
    return allowed();
}

void EncouragementAlerts::onActivated(const QString &identifier)
{
    if (const std::optional<QUrl> url = destination(identifier, m_origin))
        m_open(*url);
}

} // namespace vorno
