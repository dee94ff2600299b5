#pragma once

#include <QScrollBar>

namespace vorno::style {

// A slim scroll bar for the dark pages: only a rounded thumb in the primary
// colour, no arrows, no groove.
class ThinScrollBar : public QScrollBar
{
    Q_OBJECT

public:
    static constexpr int thickness = 8;

    explicit ThinScrollBar(QWidget *parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace vorno::style
