#include "support/style/Disclosure.h"

#include "support/AccessibilitySettings.h"
#include "support/SpringAnimation.h"
#include "support/Symbols.h"
#include "support/style/Button.h"
#include "support/style/ButtonPainter.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace vorno::style {

namespace {

// The step spring the notch uses for its own steps.
constexpr Spring stepSpring {0.24, 1.0};
constexpr double chevronSize = 11;

// The header: the label on the left, the chevron at the far right.
class DisclosureHeader : public Button
{
public:
    DisclosureHeader(const Disclosure *group, AccessibilitySettings *settings, QWidget *parent)
        : Button(Kind::quiet, settings, parent), m_group(group)
    {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        // Checked while open: screen readers say whether the group is open.
        setCheckable(true);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const QColor primary = palette().color(QPalette::WindowText);
        const ButtonBody body = ButtonBody::look(kind(), visualState(), settings(), primary);
        QPainter painter(this);
        ButtonPainter::paintBody(painter, QRectF(rect()), body);
        const double padding = ButtonBody::horizontalPadding(kind());
        QFont font = this->font();
        font.setPixelSize(ButtonBody::fontPixelSize);
        font.setWeight(QFont::DemiBold);
        painter.setFont(font);
        painter.setPen(body.label);
        painter.drawText(QRectF(rect()).adjusted(padding, 0, -padding - chevronSize - 6, 0),
                         Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text());
        painter.translate(width() - padding - chevronSize / 2, height() / 2.0);
        painter.rotate(m_group->chevronDegrees());
        painter.drawPixmap(
            QPointF(-chevronSize / 2, -chevronSize / 2),
            Symbols::pixmap(QStringLiteral("chevron.down"), chevronSize, body.label, devicePixelRatioF()));
    }

private:
    const Disclosure *m_group;
};

} // namespace

Disclosure::Disclosure(QString label, AccessibilitySettings *settings, QWidget *parent)
    : QWidget(parent), m_settings(settings), m_header(new DisclosureHeader(this, settings, this)),
      m_holder(new QWidget(this)), m_openness(new SpringAnimation(this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);
    m_header->setText(std::move(label));
    column->addWidget(m_header);
    column->addWidget(m_holder);
    m_holder->setVisible(false);
    m_holder->installEventFilter(this);
    m_openness->setSpring(stepSpring);
    m_openness->moveTo(0.0, true);
    connect(m_header, &QAbstractButton::clicked, this, [this] { setExpanded(!m_expanded); });
    connect(m_openness, &QVariantAnimation::valueChanged, this, [this] {
        place();
        m_header->update();
    });
    connect(m_openness, &QVariantAnimation::finished, this, [this] { m_holder->setVisible(m_expanded); });
}

void Disclosure::setContent(QWidget *content)
{
    if (content == m_content) {
        place(); // the same content, grown or shrunk: measure it again
        return;
    }
    m_content = content;
    content->setParent(m_holder);
    auto *opacity = new QGraphicsOpacityEffect(content);
    content->setGraphicsEffect(opacity);
    place();
}

void Disclosure::setExpanded(bool expanded)
{
    if (expanded == m_expanded)
        return;
    m_expanded = expanded;
    m_header->setChecked(expanded);
    if (expanded)
        m_holder->setVisible(true);
    m_openness->moveTo(expanded ? 1.0 : 0.0, m_settings && m_settings->reduceMotion());
    Q_EMIT expandedChanged(expanded);
}

double Disclosure::chevronDegrees() const
{
    return -90 * (1 - m_openness->now().toDouble());
}

double Disclosure::contentOpacity() const
{
    return std::clamp(m_openness->now().toDouble(), 0.0, 1.0);
}

double Disclosure::contentOffset() const
{
    if (m_settings && m_settings->reduceMotion())
        return 0;
    return -contentRise * (1 - contentOpacity());
}

bool Disclosure::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_holder && event->type() == QEvent::Resize)
        place();
    return QWidget::eventFilter(watched, event);
}

void Disclosure::place()
{
    if (!m_content)
        return;
    const int height = m_content->heightForWidth(m_holder->width() - 2 * contentPadding);
    const int natural = std::max(0, height > 0 ? height : m_content->sizeHint().height());
    m_holder->setMinimumHeight(natural);
    m_content->setGeometry(contentPadding, int(std::lround(contentOffset())), m_holder->width() - 2 * contentPadding,
                           natural);
    if (auto *effect = qobject_cast<QGraphicsOpacityEffect *>(m_content->graphicsEffect()))
        effect->setOpacity(contentOpacity());
}

} // namespace vorno::style
