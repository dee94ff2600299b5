#include "views/LoginKeepingView.h"

#include "stores/CloudStore.h"
#include "stores/LoginKeeping.h"
#include "support/CopyableCommand.h"
#include "support/Preferences.h"
#include "support/Words.h"
#include "support/style/Button.h"
#include "support/style/Label.h"
#include "support/style/Toggle.h"

#include <QVBoxLayout>

namespace vorno {

LoginKeepingView::LoginKeepingView(LoginKeeping *keeping, Preferences *preferences, CloudStore *cloud,
                                   AccessibilitySettings *settings, QWidget *parent)
    : QWidget(parent), m_keeping(keeping), m_preferences(preferences), m_summary(new style::Label({}, 0.75, 12, this)),
      m_command(new CopyableCommand(Words(Words::tpmPermission).string(), settings, this)),
      m_keyring(new style::Toggle(true, settings, this)),
      m_keyringReason(new style::Label(Words(Words::keyringMissing).string(), 0.55, 12, this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(m_summary);
    column->addWidget(m_command);

    m_keyring->setText(Words(Words::keyringChoice).string());
    column->addWidget(m_keyring);
    column->addWidget(m_keyringReason);

    connect(m_keyring, &QAbstractButton::toggled, this, [this](bool on) {
        if (m_preferences && on != m_preferences->keepLoginInKeyring())
            m_preferences->setKeepLoginInKeyring(on);
    });
    connect(keeping, &LoginKeeping::changed, this, &LoginKeepingView::refresh);
    connect(preferences, &Preferences::keepLoginInKeyringChanged, this, &LoginKeepingView::refresh);
    // Signing in or out moves the login into or out of its keeper.
    connect(cloud, &CloudStore::sessionChanged, this, &LoginKeepingView::refresh);
    refresh();
}

QString LoginKeepingView::summary() const
{
    return m_summary->text();
}

QString LoginKeepingView::command() const
{
    return m_command->isVisibleTo(this) ? m_command->command() : QString();
}

style::Button *LoginKeepingView::copyButton() const
{
    return m_command->copyButton();
}

void LoginKeepingView::refresh()
{
    if (!m_keeping || !m_preferences)
        return;
    m_summary->setText(m_keeping->summary().string());
    const QString command = m_keeping->fixCommand();
    m_command->setCommand(command);
    m_command->setVisible(!command.isEmpty());
    const bool chosen = m_preferences->keepLoginInKeyring();
    const bool offered = m_keeping->offersKeyring();
    m_keyring->setVisible(offered);
    m_keyring->setChecked(chosen);
    // Turning it off always works; turning it on needs a Secret Service.
    m_keyring->setEnabled(chosen || m_keeping->isKeyringAvailable());
    m_keyringReason->setVisible(offered && !chosen && !m_keeping->isKeyringAvailable());
}

} // namespace vorno
