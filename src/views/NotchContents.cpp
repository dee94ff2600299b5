#include "views/NotchContents.h"

#include "stores/CaptureStore.h"
#include "stores/CloudStore.h"
#include "stores/FileCollectionStore.h"
#include "support/AccessibilitySettings.h"
#include "support/SpringAnimation.h"
#include "support/Symbols.h"
#include "support/style/Label.h"
#include "support/style/ThinScrollBar.h"
#include "views/ComposerView.h"
#include "views/NotchPressButton.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace vorno {

namespace {

constexpr Spring stepSpring {.response = 0.24, .dampingFraction = 1.0};
constexpr double pageLift = 10; // how far a new page rises into place

QColor ink(const QWidget *widget, double opacity)
{
    QColor colour = widget->palette().color(QPalette::WindowText);
    colour.setAlphaF(float(opacity));
    return colour;
}

void drawSymbol(QPainter &painter, const QString &name, const QPointF &centre, double size, const QColor &colour)
{
    const QPixmap pixmap = Symbols::pixmap(name, size, colour, painter.device()->devicePixelRatioF());
    painter.drawPixmap(QRectF(centre.x() - size / 2, centre.y() - size / 2, size, size), pixmap, QRectF(pixmap.rect()));
}

// A page taller than the panel scrolls, with the thin bar of the editor.
QScrollArea *scrolling(QWidget *page)
{
    auto *scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBar(new style::ThinScrollBar(scroll));
    scroll->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    // The page keeps its natural height at the top; what is left stays empty.
    auto *holder = new QWidget;
    auto *column = new QVBoxLayout(holder);
    column->setContentsMargins(0, 0, style::ThinScrollBar::thickness, 0);
    column->addWidget(page);
    column->addStretch(1);
    scroll->setWidget(holder);
    return scroll;
}

} // namespace

NotchContents::NotchContents(CaptureStore *store, AccessibilitySettings *settings, Options options, QWidget *parent)
    : QWidget(parent), m_store(store), m_settings(settings), m_step(new SpringAnimation(this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(14, 0, 14, 18);
    column->setSpacing(10);

    // Title row.
    auto *header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    m_title = new style::Label(Words(Words::quick).string(), 0.9, 15, this);
    m_title->setWeight(QFont::DemiBold);
    m_back = new NotchPressButton(
        QSize(150, 36),
        [this](QPainter &painter, const QRectF &rect) {
            drawSymbol(painter, u"chevron.left"_qs, QPointF(rect.left() + 16, rect.center().y()), 14, ink(this, 0.85));
            QFont font = this->font();
            font.setPixelSize(14);
            font.setWeight(QFont::Medium);
            painter.setFont(font);
            painter.setPen(ink(this, 0.85));
            painter.drawText(rect.adjusted(28, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft,
                             Words(Words::quick).string());
        },
        settings, this);
    m_back->setAccessibleName(Words(Words::quick).string());
    m_back->setToolTip(Words(Words::quick).string());
    connect(m_back, &QAbstractButton::clicked, this, [this] {
        if (m_store)
            m_store->show(CaptureStore::Page::compose);
    });
    m_gear = new NotchPressButton(
        QSize(36, 36),
        [this](QPainter &painter, const QRectF &rect) {
            drawSymbol(painter, u"gearshape"_qs, rect.center(), 18, ink(this, 0.8));
        },
        settings, this);
    m_gear->setAccessibleName(Words(Words::settings).string());
    m_gear->setToolTip(Words(Words::settings).string());
    connect(m_gear, &QAbstractButton::clicked, this, [this] {
        if (m_store)
            m_store->show(CaptureStore::Page::settings);
    });
    m_settingsTitle = new style::Label(Words(Words::settings).string(), 0.9, 15, this);
    m_settingsTitle->setWeight(QFont::DemiBold);
    header->addWidget(m_title);
    header->addWidget(m_back);
    header->addStretch(1);
    header->addWidget(m_gear);
    header->addWidget(m_settingsTitle);
    column->addLayout(header);

    // Pages.
    m_pages = new QStackedWidget(this);
    m_composePage = new QWidget(this); // constructed in the notch palette
    auto *composeColumn = new QVBoxLayout(m_composePage);
    composeColumn->setContentsMargins(0, 0, 0, 0);
    composeColumn->setSpacing(10);
    m_composer = new ComposerView(store, settings, true, m_composePage);
    composeColumn->addWidget(m_composer);
    m_reviewFiles = new NotchPressButton(
        QSize(0, 40),
        [this](QPainter &painter, const QRectF &rect) {
            const QColor colour = ink(this, 0.85);
            drawSymbol(painter, u"paperclip"_qs, QPointF(rect.left() + 16, rect.center().y()), 16, colour);
            QFont font = this->font();
            font.setPixelSize(14);
            painter.setFont(font);
            painter.setPen(colour);
            const qsizetype count = m_store ? m_store->pendingFileCount() : 0;
            painter.drawText(rect.adjusted(34, 0, -36, 0), Qt::AlignVCenter | Qt::AlignLeft,
                             Words(Words::fileReview).string());
            painter.setPen(ink(this, 0.55));
            painter.drawText(rect.adjusted(34, 0, -34, 0), Qt::AlignVCenter | Qt::AlignRight, QString::number(count));
            drawSymbol(painter, u"chevron.right"_qs, QPointF(rect.right() - 18, rect.center().y()), 13,
                       ink(this, 0.55));
        },
        settings, m_composePage);
    m_reviewFiles->setMinimumWidth(0);
    m_reviewFiles->setMaximumWidth(QWIDGETSIZE_MAX);
    m_reviewFiles->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_reviewFiles->setAccessibleName(Words(Words::fileReview).string());
    connect(m_reviewFiles, &QAbstractButton::clicked, this, [this] {
        if (m_store)
            m_store->show(CaptureStore::Page::files);
    });
    composeColumn->addWidget(m_reviewFiles);
    m_pages->addWidget(m_composePage);
    m_files = new FileReviewView(store, settings, options.files, this);
    m_pages->addWidget(scrolling(m_files));
    m_preferences = new PreferencesView(store, options.notifications, settings, options.preferences, this);
    m_pages->addWidget(scrolling(m_preferences));
    column->addWidget(m_pages, 1);

    m_step->setSpring(stepSpring);
    m_step->moveTo(1.0, true);
    connect(m_step, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        if (QWidget *page = m_pages->currentWidget())
            page->move(0, int(std::lround((1 - value.toDouble()) * pageLift)));
    });

    connect(store, &CaptureStore::pageChanged, this, &NotchContents::followPage);
    connect(store, &CaptureStore::pendingFileCountChanged, this, &NotchContents::followFiles);
    if (CloudStore *cloud = store->cloud())
        connect(cloud, &CloudStore::sessionChanged, this, &NotchContents::followUser);
    followPage();
    followFiles();
    followUser();
}

QWidget *NotchContents::currentPage() const
{
    return m_pages->currentWidget();
}

void NotchContents::followPage()
{
    if (!m_store)
        return;
    const auto page = m_store->page();
    const bool compose = page == CaptureStore::Page::compose;
    const bool settings = page == CaptureStore::Page::settings;
    m_title->setVisible(compose);
    m_back->setVisible(!compose);
    m_gear->setVisible(!settings);
    m_settingsTitle->setVisible(settings);
    QWidget *next = m_pages->widget(compose ? 0 : settings ? 2 : 1);
    if (next == m_pages->currentWidget())
        return;
    m_pages->setCurrentWidget(next);
    m_step->moveTo(0.0, true);
    m_step->moveTo(1.0, m_settings && m_settings->reduceMotion());
}

void NotchContents::followFiles()
{
    if (!m_store)
        return;
    m_reviewFiles->setVisible(m_store->pendingFileCount() >= 1);
    // The count is drawn beside the title; a screen reader hears both.
    m_reviewFiles->setAccessibleName(Words(Words::fileReview).string() + u", "_qs
                                     + QString::number(m_store->pendingFileCount()));
    m_reviewFiles->update();
}

void NotchContents::followUser()
{
    if (!m_store)
        return;
    CloudStore *cloud = m_store->cloud();
    std::optional<QString> user;
    if (cloud && cloud->session())
        user = cloud->session()->user.id;
    if (m_userSeen && user == m_userId)
        return;
    m_userSeen = true;
    m_userId = user;
    if (FileCollectionStore *collection = m_store->collection())
        collection->restoreLocal();
}

} // namespace vorno
