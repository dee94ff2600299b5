#include "support/style/Editor.h"

#include "support/AccessibilitySettings.h"
#include "support/SpringAnimation.h"
#include "support/Words.h"
#include "support/style/Metrics.h"
#include "support/style/ThinScrollBar.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace vorno::style {

using Metrics::faded;

namespace {

constexpr std::chrono::milliseconds focusEase {200};

QColor mix(const QColor &from, const QColor &to, double t)
{
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * t),
                            float(from.greenF() + (to.greenF() - from.greenF()) * t),
                            float(from.blueF() + (to.blueF() - from.blueF()) * t),
                            float(from.alphaF() + (to.alphaF() - from.alphaF()) * t));
}

} // namespace

Editor::Editor(AccessibilitySettings *settings, QWidget *parent)
    : QWidget(parent), m_settings(settings), m_editor(new QPlainTextEdit(this)), m_focus(new SpringAnimation(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(int(padding), int(padding), int(padding), int(padding));
    layout->addWidget(m_editor);
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->viewport()->setAutoFillBackground(false);
    m_editor->setAutoFillBackground(false);
    followPalette();
    QFont font = m_editor->font();
    font.setPixelSize(bodyPixelSize);
    m_editor->setFont(font);
    m_editor->setTabChangesFocus(true);
    m_editor->setVerticalScrollBar(new ThinScrollBar(m_editor));
    m_editor->setAccessibleName(Words(Words::start).string());
    m_editor->installEventFilter(this);
    m_focus->setEaseOut(focusEase);
    m_focus->moveTo(0.0, true);
    connect(m_focus, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] {
        update(); // the placeholder
        if (!m_settingText)
            Q_EMIT textEdited(m_editor->toPlainText());
    });
    if (settings)
        connect(settings, &AccessibilitySettings::changed, this, qOverload<>(&QWidget::update));
}

void Editor::followPalette()
{
    // The field behind is ours; the text takes the page's primary colour,
    // also when the editor moves into a page of other colours.
    QPalette palette = m_editor->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, this->palette().color(QPalette::WindowText));
    m_editor->setPalette(palette);
}

void Editor::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        followPalette();
    QWidget::changeEvent(event);
}

void Editor::setText(const QString &text)
{
    if (text == m_editor->toPlainText())
        return;
    m_settingText = true;
    m_editor->setPlainText(text);
    m_editor->moveCursor(QTextCursor::End);
    m_settingText = false;
}

QString Editor::text() const
{
    return m_editor->toPlainText();
}

void Editor::setReadOnly(bool readOnly)
{
    m_editor->setReadOnly(readOnly);
}

bool Editor::isEditing() const
{
    return m_editor->hasFocus();
}

bool Editor::showsPlaceholder() const
{
    return m_editor->document()->isEmpty();
}

QColor Editor::borderColor() const
{
    const QColor primary = palette().color(QPalette::WindowText);
    const bool contrast = m_settings && m_settings->increaseContrast();
    return mix(faded(primary, contrast ? 0.6 : 0.1), faded(Metrics::action(), 0.7), m_focus->now().toDouble());
}

bool Editor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editor && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        followFocus();
    return QWidget::eventFilter(watched, event);
}

void Editor::followFocus()
{
    m_focus->moveTo(m_editor->hasFocus() ? 1.0 : 0.0, m_settings && m_settings->reduceMotion());
    update();
}

void Editor::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = palette().color(QPalette::WindowText);
    const QRectF field = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(field, radius, radius);
    painter.fillPath(shape, faded(primary, 0.065));
    painter.strokePath(shape, QPen(borderColor(), 1));
    if (showsPlaceholder()) {
        painter.setFont(m_editor->font());
        painter.setPen(faded(primary, 0.38));
        const QRectF area
            = QRectF(rect()).adjusted(placeholderInset.x(), placeholderInset.y(), -placeholderInset.x(), 0);
        painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, Words(Words::start).string());
    }
}

} // namespace vorno::style
