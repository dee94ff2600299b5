#include "support/CopyableCommand.h"

#include "support/Words.h"
#include "support/style/Button.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>

namespace vorno {

CopyableCommand::CopyableCommand(const QString &accessibleName, AccessibilitySettings *settings, QWidget *parent)
    : QWidget(parent), m_field(new QLineEdit(this)),
      m_copy(new style::Button(style::Button::Kind::secondary, settings, this))
{
    m_field->setReadOnly(true);
    m_field->setAccessibleName(accessibleName);
    QFont mono(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(12);
    m_field->setFont(mono);
    m_copy->setWords(Words::copy);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(m_field, 1);
    row->addWidget(m_copy);
    connect(m_copy, &QAbstractButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(m_field->text()); });
}

void CopyableCommand::setCommand(const QString &command)
{
    m_field->setText(command);
}

} // namespace vorno
