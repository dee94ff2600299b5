#pragma once

#include <QWidget>

namespace vorno::style {

// A thin determinate progress bar: a rounded track with the accent fill.
class ProgressBar : public QWidget
{
    Q_OBJECT

public:
    static constexpr int thickness = 4;

    explicit ProgressBar(QWidget *parent = nullptr);

    // `done` of `total`, clamped; a total of 0 shows an empty track.
    void setProgress(qint64 done, qint64 total);
    [[nodiscard]] double fraction() const { return m_fraction; }

    [[nodiscard]] QSize sizeHint() const override { return {200, thickness}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_fraction = 0;
};

} // namespace vorno::style
