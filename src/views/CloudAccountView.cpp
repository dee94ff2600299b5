#include "views/CloudAccountView.h"

#include "stores/CloudStore.h"
#include "support/Spawn.h"
#include "support/Symbols.h"
#include "support/style/BusyIndicator.h"
#include "support/style/Button.h"
#include "support/style/Label.h"
#include "support/style/Metrics.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace vorno {

CloudAccountView::CloudAccountView(CloudStore *cloud, QUrl origin, AccessibilitySettings *settings, QWidget *parent)
    : QWidget(parent), m_cloud(cloud), m_origin(std::move(origin)), m_identity(new QWidget(this)),
      m_account(new QLabel(m_identity)),
      m_signedOutText(new style::Label(Words(Words::cloudAccount).string(), 0.9, 13, this)),
      m_promise(new style::Label(Words(Words::cloudSession).string(), 0.55, 12, this)),
      m_primary(new style::Button(style::Button::Kind::primary, settings, this)),
      m_secondary(new style::Button(style::Button::Kind::quiet, settings, this)),
      m_busy(new style::BusyIndicator(settings, this)), m_notice(new style::Label({}, 0.75, 12, this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    auto *identityRow = new QHBoxLayout(m_identity);
    identityRow->setContentsMargins(0, 0, 0, 0);
    identityRow->setSpacing(8);
    auto *person = new QLabel(m_identity);
    const QColor primary = palette().color(QPalette::WindowText);
    person->setPixmap(Symbols::pixmap(QStringLiteral("person.crop.circle"), 18, style::Metrics::faded(primary, 0.8),
                                      devicePixelRatioF()));
    identityRow->addWidget(person);
    m_account->setTextFormat(Qt::PlainText); // the service's text, never markup
    m_account->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QFont font = m_account->font();
    font.setPixelSize(13);
    font.setWeight(QFont::DemiBold);
    m_account->setFont(font);
    identityRow->addWidget(m_account, 1);

    column->addWidget(m_identity);
    column->addWidget(m_signedOutText);
    column->addWidget(m_promise);
    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(m_primary);
    row->addWidget(m_secondary);
    row->addWidget(m_busy);
    row->addStretch();
    column->addLayout(row);
    column->addWidget(m_notice);

    connect(m_primary, &QAbstractButton::clicked, this, &CloudAccountView::primaryAction);
    connect(m_secondary, &QAbstractButton::clicked, this, &CloudAccountView::secondaryAction);
    for (auto signal : {&CloudStore::sessionChanged, &CloudStore::busyChanged, &CloudStore::noticeChanged})
        connect(cloud, signal, this, &CloudAccountView::refresh);
    refresh();
}

void CloudAccountView::setPromiseVisible(bool visible)
{
    m_promise->setVisible(visible);
}

QString CloudAccountView::accountLine() const
{
    if (!m_cloud || !m_cloud->session())
        return {};
    const std::optional<QString> &email = m_cloud->session()->user.email;
    return email && !email->isEmpty() ? *email : QStringLiteral("vorno");
}

void CloudAccountView::primaryAction()
{
    if (!m_cloud)
        return;
    if (m_cloud->isSignedIn())
        spawn(m_cloud->refreshSession());
    else
        spawn(m_cloud->login(m_origin));
}

void CloudAccountView::secondaryAction()
{
    if (!m_cloud)
        return;
    // Signed out and busy, this ends the sign-in under way in the browser.
    if (m_cloud->isSignedIn() || m_cloud->isBusy())
        spawn(m_cloud->logout());
    else
        spawn(m_cloud->restore());
}

void CloudAccountView::refresh()
{
    if (!m_cloud)
        return;
    const bool signedIn = m_cloud->isSignedIn();
    const bool busy = m_cloud->isBusy();
    m_identity->setVisible(signedIn);
    m_account->setText(accountLine());
    m_signedOutText->setVisible(!signedIn);
    if (signedIn) {
        m_primary->setWords(Words::cloudRefresh, QStringLiteral("arrow.clockwise"));
        m_secondary->setWords(Words::cloudLogout);
        m_secondary->setEnabled(true);
    } else {
        m_primary->setWords(Words::cloudLogin, QStringLiteral("arrow.up.right"));
        m_secondary->setWords(busy ? Words::cancel : Words::cloudRefresh);
    }
    m_primary->setEnabled(!busy);
    m_busy->setVisible(busy);
    const std::optional<Words> &notice = m_cloud->notice();
    m_notice->setText(notice ? notice->string() : QString());
    m_notice->setVisible(notice.has_value());
}

} // namespace vorno
