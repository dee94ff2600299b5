#include "views/NotchView.h"

#include "platform/ScreenSpace.h"
#include "stores/AccountEncouragement.h"
#include "stores/AccountNote.h"
#include "stores/CloudStore.h"
#include "stores/FileCollectionStore.h"
#include "support/AccessibilitySettings.h"
#include "support/BrandSymbol.h"
#include "support/SpringAnimation.h"
#include "support/Symbols.h"
#include "support/style/Label.h"
#include "support/style/Metrics.h"
#include "views/CaptureCelebration.h"
#include "views/DropBatch.h"
#include "views/NotchHitView.h"
#include "views/NotchPresentation.h"
#include "views/NotchPressButton.h"
#include "views/NotchShape.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vorno {

namespace {

constexpr double surfacePadding = 8; // the header and contents inside the black shape
constexpr double noteHeight = 176;
constexpr double noteSpacing = 12;
constexpr double composeHeight = 380;
constexpr double composeWithFilesHeight = 440;
constexpr QSize headerButton(44, int(PanelGeometry::headerHeight));

constexpr Spring morphSpring {.response = 0.45, .dampingFraction = 0.62};
constexpr Spring tiltSpring {.response = 0.2, .dampingFraction = 0.85};
constexpr Spring turnSpring {.response = 0.28, .dampingFraction = 0.88};

// The expanded frame cut to `height` below the top edge, keeping its camera.
PanelGeometry hanging(const PanelGeometry &expanded, double height)
{
    PanelGeometry geometry = expanded;
    geometry.frame.height = std::min(height, expanded.frame.height);
    geometry.frame.y = expanded.frame.maxY() - geometry.frame.height;
    return geometry;
}

} // namespace

NotchView::NotchView(CaptureStore *store, NotchPresentation *presentation, AccessibilitySettings *settings,
                     Options options, QWidget *parent)
    : QWidget(parent), m_store(store), m_presentation(presentation), m_settings(settings),
      m_morph(new SpringAnimation(this)), m_corner(new SpringAnimation(this)), m_tilt(new SpringAnimation(this)),
      m_turn(new SpringAnimation(this)), m_surface(new QWidget(this)), m_hit(new NotchHitView(this)),
      m_options(std::move(options))
{
    setPalette(style::Metrics::notchPalette(palette()));
    setAttribute(Qt::WA_TranslucentBackground);
    setAcceptDrops(true);
    BrandSymbol::load(); // a missing symbol stops the start, not a blank header

    m_quick = new NotchPressButton(
        headerButton, [this](QPainter &painter, const QRectF &rect) { paintSymbol(painter, rect); }, settings,
        m_surface);
    m_quick->setAccessibleName(Words(Words::quick).string());
    m_quick->setToolTip(Words(Words::quick).string());
    connect(m_quick, &QAbstractButton::clicked, this, [this] {
        if (!m_store)
            return;
        if (m_store->notchEnabled())
            m_store->show(CaptureStore::Page::compose);
        else
            m_store->openMain();
    });
    m_celebration = new CaptureCelebration(settings, m_surface);

    m_plus = new NotchPressButton(
        headerButton, [this](QPainter &painter, const QRectF &rect) { paintPlus(painter, rect); }, settings, m_surface);
    m_plus->setAccessibleName(Words(Words::quick).string());
    connect(m_plus, &QAbstractButton::clicked, this, [this] {
        if (m_store)
            m_store->togglePresentation();
    });

    m_note = new style::Label({}, 0.92, 15, m_surface);
    m_note->setWordWrap(true);
    m_note->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_morph->setSpring(morphSpring);
    m_corner->setSpring(morphSpring);
    m_tilt->setSpring(tiltSpring);
    m_turn->setSpring(turnSpring);
    m_tilt->moveTo(0.0, true);
    m_turn->moveTo(0.0, true);
    for (SpringAnimation *animation : {m_morph, m_corner})
        connect(animation, &QVariantAnimation::valueChanged, this, &NotchView::placeChildren);
    for (SpringAnimation *animation : {m_tilt, m_turn})
        connect(animation, &QVariantAnimation::valueChanged, this, [this] {
            m_quick->update();
            m_plus->update();
        });
    // The tilt's three phases: off, on, off.
    connect(m_tilt, &QVariantAnimation::finished, this, [this] {
        if (m_tilt->now().toDouble() > 0.5)
            m_tilt->moveTo(0.0, reduceMotion());
    });

    connect(store, &CaptureStore::expandedChanged, this, &NotchView::followExpanded);
    connect(store, &CaptureStore::pageChanged, this, &NotchView::follow);
    connect(store, &CaptureStore::pendingFileCountChanged, this, &NotchView::follow);
    connect(store, &CaptureStore::noticeChanged, this, [this] {
        if (m_store && m_store->notice() == Words::saved)
            cue();
    });
    connect(presentation, &NotchPresentation::layoutChanged, this, &NotchView::follow);
    connect(presentation, &NotchPresentation::revealedChanged, this, &NotchView::follow);
    if (CloudStore *cloud = store->cloud()) {
        connect(cloud->encouragement(), &AccountEncouragement::noteChanged, this, &NotchView::follow);
        connect(cloud->note(), &AccountNote::acknowledgedChanged, this, [this, cloud] {
            if (cloud->note()->isAcknowledged())
                cue();
        });
        connect(cloud, &CloudStore::noticeChanged, this, [this, cloud] {
            if (cloud->notice() == Words::saved && !cloud->note()->pending() && !cloud->note()->text().isEmpty())
                cue();
        });
    }
    if (FileCollectionStore *collection = store->collection()) {
        m_hadFiles = !collection->files().empty();
        // The last file finishes while the collection is still busy; it is
        // completed only once the round ends, so both changes are followed.
        const auto followCollection = [this, collection] {
            const bool hasFiles = !collection->files().empty();
            if (m_hadFiles && !hasFiles)
                m_filesFinished = true;
            m_hadFiles = hasFiles;
            if (hasFiles || !collection->batch())
                m_filesFinished = false;
            if (m_filesFinished && collection->isCompleted()) {
                m_filesFinished = false;
                cue();
            }
        };
        connect(collection, &FileCollectionStore::batchChanged, this, followCollection);
        connect(collection, &FileCollectionStore::completedChanged, this, followCollection);
    }
    if (settings)
        connect(settings, &AccessibilitySettings::changed, this, &NotchView::follow);
    m_lastExpanded = store->isExpanded();
    follow();
}

NotchView::~NotchView() = default;

PanelGeometry NotchView::geometryFor(const NotchLayout &layout, const State &state)
{
    const PanelGeometry &expanded = layout.expanded;
    if (state.expanded) {
        if (state.page != CaptureStore::Page::compose)
            return expanded;
        return hanging(expanded,
                       expanded.cameraHeight + (state.pendingFiles >= 1 ? composeWithFilesHeight : composeHeight));
    }
    if (state.showingNote)
        return hanging(expanded, expanded.cameraHeight + PanelGeometry::headerHeight + noteHeight);
    return state.revealed ? layout.compact : layout.hidden;
}

double NotchView::radiusFor(const State &state)
{
    if (state.expanded || state.showingNote)
        return 32;
    return state.revealed ? 24 : 10;
}

NotchView::State NotchView::state() const
{
    State state;
    if (!m_store || !m_presentation)
        return state;
    state.expanded = m_store->isExpanded();
    state.revealed = m_presentation->revealed();
    CloudStore *cloud = m_store->cloud();
    state.showingNote = !state.expanded && cloud && cloud->encouragement()->note().has_value();
    state.page = m_store->page();
    state.pendingFiles = m_store->pendingFileCount();
    return state;
}

bool NotchView::reduceMotion() const
{
    return m_settings && m_settings->reduceMotion();
}

QRectF NotchView::surfaceRect() const
{
    const QRectF rect = m_morph->now().toRectF();
    // A spring may swing past zero on its way into the housing.
    return {rect.x(), rect.y(), std::max(0.0, rect.width()), std::max(0.0, rect.height())};
}

void NotchView::follow()
{
    if (!m_store || !m_presentation)
        return;
    const State now = state();
    const NotchLayout &layout = m_presentation->layout();
    const PanelGeometry geometry = geometryFor(layout, now);
    const QRectF target = ScreenSpace::within(geometry.frame, layout.canvas);
    const bool still = reduceMotion() || !isVisible();
    m_morph->moveTo(target, still);
    m_corner->moveTo(QPointF(radiusFor(now), geometry.cameraHeight), still);
    m_turn->moveTo(now.expanded || now.showingNote ? 45.0 : 0.0, still);
    // Turned, the plus closes what is open. Screen readers hear each setting.
    const QString plusName = Words(now.expanded || now.showingNote ? Words::close : Words::quick).string();
    if (m_plus->accessibleName() != plusName)
        m_plus->setAccessibleName(plusName);

    // The open page and the note keep their final size during the morph; the
    // surface clips them.
    const double inner = target.width() - 2 * surfacePadding;
    const double top = geometry.cameraHeight + PanelGeometry::headerHeight;
    // The pages are built when the panel first opens: most of the day the
    // notch is only its outline, and the start should not wait for editors.
    if (now.expanded && !m_contents) {
        m_contents = new NotchContents(m_store, m_settings, std::move(m_options), m_surface);
        // Qt hands a drag to the deepest widget that takes drops: the editors
        // would type a dropped file's address into the note.
        for (QWidget *child : m_contents->findChildren<QWidget *>())
            if (child->acceptDrops())
                child->installEventFilter(this);
    }
    if (m_contents) {
        m_contents->setVisible(now.expanded);
        m_contents->setGeometry(int(surfacePadding), int(top), int(inner), int(std::max(0.0, target.height() - top)));
    }
    m_note->setVisible(now.showingNote);
    if (now.showingNote)
        m_note->setText(m_store->cloud()->encouragement()->note()->message);
    m_note->setGeometry(int(surfacePadding + 14), int(top + noteSpacing), int(inner - 28),
                        int(noteHeight - noteSpacing));
    const bool active = now.expanded || now.revealed || now.showingNote;
    m_quick->setEnabled(active);
    m_plus->setEnabled(active);
    placeChildren();
}

void NotchView::followExpanded()
{
    if (!m_store)
        return;
    if (m_store->isExpanded() != m_lastExpanded) {
        m_lastExpanded = m_store->isExpanded();
        m_tilt->moveTo(1.0, reduceMotion());
    }
    follow();
}

QRect NotchView::pixelsOf(const QRectF &rect)
{
    // Rounding each edge, not growing to whole pixels: a spring ends a hair
    // off its target, and a hidden notch a hair tall must draw no line.
    const QPoint topLeft(int(std::lround(rect.left())), int(std::lround(rect.top())));
    const QPoint bottomRight(int(std::lround(rect.right())), int(std::lround(rect.bottom())));
    return {topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y())};
}

void NotchView::placeChildren()
{
    const QRectF rect = surfaceRect();
    const QPointF corner = m_corner->now().toPointF();
    const QRect pixels = pixelsOf(rect);
    m_surface->setGeometry(pixels);
    m_hit->setGeometry(pixels);
    m_hit->setShape(NotchShape {.bottomRadius = corner.x()});
    m_hit->setNoninteractiveTop(corner.y());
    const int headerTop = int(std::lround(corner.y()));
    m_quick->move(int(surfacePadding), headerTop);
    m_plus->move(int(rect.width() - surfacePadding) - headerButton.width(), headerTop);
    m_celebration->move(m_quick->geometry().center()
                        - QPoint(CaptureCelebration::side / 2, CaptureCelebration::side / 2));
    m_celebration->raise();
    update();
}

void NotchView::cue()
{
    ++m_successCue;
    m_celebration->setTrigger(m_successCue);
}

void NotchView::paintSymbol(QPainter &painter, const QRectF &rect) const
{
    // In the tilt's middle phase, and only while open, the symbol leans.
    const double phase = m_tilt->now().toDouble() * (m_store && m_store->isExpanded() ? 1 : 0);
    constexpr double size = 26;
    painter.save();
    painter.translate(rect.center());
    painter.rotate(-8 * phase);
    painter.scale(1 + 0.08 * phase, 1 + 0.08 * phase);
    BrandSymbol::paint(painter, QRectF(-size / 2, -size / 2, size, size));
    painter.restore();
}

void NotchView::paintPlus(QPainter &painter, const QRectF &rect) const
{
    constexpr double size = 21;
    painter.save();
    painter.translate(rect.center());
    painter.rotate(m_turn->now().toDouble());
    const QPixmap plus = Symbols::pixmap(u"plus"_qs, size, palette().color(QPalette::WindowText),
                                         painter.device()->devicePixelRatioF());
    painter.drawPixmap(QRectF(-size / 2, -size / 2, size, size), plus, QRectF(plus.rect()));
    painter.restore();
}

void NotchView::paintEvent(QPaintEvent *)
{
    const QRectF rect = surfaceRect();
    if (pixelsOf(rect).isEmpty())
        return;
    const QPainterPath path = NotchShape {.bottomRadius = m_corner->now().toPointF().x()}.path(rect);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_dropTarget) {
        // The glow: the accent stroke widening and fading out to 8 points.
        const QColor accent = style::Metrics::action();
        for (int step = 8; step >= 1; step -= 1) {
            painter.setPen(QPen(style::Metrics::faded(accent, 0.05), 2 + 2 * step));
            painter.drawPath(path);
        }
    }
    painter.fillPath(path, Qt::black);
    if (m_dropTarget) {
        painter.setPen(QPen(style::Metrics::faded(style::Metrics::action(), 0.5), 2));
        painter.drawPath(path);
    }
}

void NotchView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    follow();
}

bool NotchView::acceptsDrop() const
{
    if (!m_store)
        return false;
    if (FileCollectionStore *collection = m_store->collection(); collection && collection->isBusy())
        return false;
    return !m_store->isExpanded() || m_store->page() == CaptureStore::Page::compose;
}

bool NotchView::drop(const QList<QUrl> &items)
{
    if (!acceptsDrop() || items.isEmpty())
        return false;
    DropBatch batch(m_store, items.size());
    // Qt hands every item over at once, already in drop order.
    for (qsizetype i = 0; i < items.size(); ++i)
        batch.received(DropBatch::locationOf(items[i]), i);
    return true;
}

void NotchView::setDropTarget(bool target)
{
    if (target == m_dropTarget)
        return;
    m_dropTarget = target;
    update();
}

void NotchView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls() && acceptsDrop()) {
        event->acceptProposedAction();
        setDropTarget(true);
    }
}

void NotchView::dragLeaveEvent(QDragLeaveEvent *)
{
    setDropTarget(false);
}

void NotchView::dropEvent(QDropEvent *event)
{
    setDropTarget(false);
    if (drop(event->mimeData()->urls()))
        event->acceptProposedAction();
}

bool NotchView::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (!drag->mimeData()->hasUrls())
            break;
        if (acceptsDrop()) {
            drag->acceptProposedAction();
            setDropTarget(true);
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto *dropped = static_cast<QDropEvent *>(event);
        if (!dropped->mimeData()->hasUrls())
            break;
        dropEvent(dropped);
        return true;
    }
    case QEvent::DragLeave:
        setDropTarget(false);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vorno
