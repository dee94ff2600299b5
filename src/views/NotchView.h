#pragma once

#include "core/PanelGeometry.h"
#include "stores/CaptureStore.h"
#include "views/NotchContents.h"

#include <QPointer>
#include <QWidget>

namespace vorno {

class AccessibilitySettings;
class CaptureCelebration;
namespace style {
class Label;
}
class NotchHitView;
class NotchPresentation;
class NotchPressButton;
class SpringAnimation;
struct NotchLayout;

// What the panel shows: the black notch under the top edge of the screen,
// hidden, compact while the pointer reveals it, open on a page, or showing an
// encouragement note; its header buttons, the celebration of a save, and the
// drop target for files. It covers the panel's whole canvas; only the drawn
// shape takes clicks (see NotchHitView).
class NotchView : public QWidget
{
    Q_OBJECT

public:
    using Options = NotchContents::Options;

    // Everything the notch's outline depends on.
    struct State
    {
        bool expanded = false;
        bool revealed = false;
        bool showingNote = false;
        CaptureStore::Page page = CaptureStore::Page::compose;
        qsizetype pendingFiles = 0;
    };

    NotchView(CaptureStore *store, NotchPresentation *presentation, AccessibilitySettings *settings, Options options,
              QWidget *parent = nullptr);
    ~NotchView() override;

    // The outline for a state, in screen points, and its bottom radius.
    [[nodiscard]] static PanelGeometry geometryFor(const NotchLayout &layout, const State &state);
    [[nodiscard]] static double radiusFor(const State &state);
    [[nodiscard]] State state() const;

    [[nodiscard]] NotchHitView *hitView() const { return m_hit; }
    [[nodiscard]] NotchPressButton *quickButton() const { return m_quick; }
    [[nodiscard]] NotchPressButton *plusButton() const { return m_plus; }
    [[nodiscard]] int successCue() const { return m_successCue; }
    [[nodiscard]] bool isDropTarget() const { return m_dropTarget; }
    // The outline being drawn now, in this widget's coordinates.
    [[nodiscard]] QRectF surfaceRect() const;
    // The whole pixels an outline covers.
    [[nodiscard]] static QRect pixelsOf(const QRectF &rect);

    // Whether a drop is taken now (not while a collection is busy, nor on an
    // open page other than compose).
    [[nodiscard]] bool acceptsDrop() const;
    // Takes the dropped items, in drop order; false when the drop is refused.
    bool drop(const QList<QUrl> &items);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow();
    void followExpanded();
    void placeChildren();
    void cue();
    void setDropTarget(bool target);
    [[nodiscard]] bool reduceMotion() const;
    void paintSymbol(QPainter &painter, const QRectF &rect) const;
    void paintPlus(QPainter &painter, const QRectF &rect) const;

    QPointer<CaptureStore> m_store;
    QPointer<NotchPresentation> m_presentation;
    QPointer<AccessibilitySettings> m_settings;
    SpringAnimation *m_morph;  // the outline's rectangle
    SpringAnimation *m_corner; // (bottom radius, noninteractive top)
    SpringAnimation *m_tilt;   // the symbol's phase, 0 or 1
    SpringAnimation *m_turn;   // the plus, 0 or 45 degrees
    QWidget *m_surface;
    NotchHitView *m_hit;
    NotchPressButton *m_quick;
    NotchPressButton *m_plus;
    CaptureCelebration *m_celebration;
    style::Label *m_note;
    Options m_options; // for the pages, until they are built
    NotchContents *m_contents = nullptr;
    int m_successCue = 0;
    bool m_dropTarget = false;
    bool m_hadFiles = false;
    bool m_filesFinished = false; // the files list just emptied; cue once the collection completes
    bool m_lastExpanded = false;
};

} // namespace vorno
