#include "support/style/SettingsSection.h"

#include "support/Symbols.h"
#include "support/style/Metrics.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace vorno::style {

namespace {

constexpr int titlePixelSize = 13;
constexpr double symbolSize = 14;

} // namespace

SettingsSection::SettingsSection(Words title, QString icon, QWidget *parent)
    : QWidget(parent), m_title(title), m_content(new QVBoxLayout)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(spacing);

    auto *heading = new QHBoxLayout;
    heading->setSpacing(6);
    auto *label = new QLabel(title.string(), this);
    QFont font = label->font();
    font.setPixelSize(titlePixelSize);
    font.setWeight(QFont::DemiBold);
    label->setFont(font);
    QPalette accent = label->palette();
    accent.setColor(QPalette::WindowText, Metrics::action());
    label->setPalette(accent);
    label->setAccessibleName(title.string());
    auto *symbol = new QLabel(this);
    symbol->setPixmap(Symbols::pixmap(icon, symbolSize, Metrics::action(), devicePixelRatioF()));
    symbol->setAccessibleName({}); // decoration: the title carries the meaning
    heading->addWidget(label);
    heading->addWidget(symbol);
    heading->addStretch();
    column->addLayout(heading);

    m_content->setContentsMargins(0, 0, 0, 0);
    m_content->setSpacing(10);
    column->addLayout(m_content);
}

void SettingsSection::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), radius, radius);
    painter.fillPath(card, Metrics::faded(palette().color(QPalette::WindowText), 0.045));
}

} // namespace vorno::style
