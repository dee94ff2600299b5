#pragma once

#include <QLabel>

#include <optional>

namespace vorno::style {

// A wrapping text of the pages in a faded primary colour.
class Label : public QLabel
{
    Q_OBJECT

public:
    Label(const QString &text, double opacity, int pixelSize, QWidget *parent = nullptr);

    void setOpacity(double opacity);
    // A colour of its own instead of the page's primary (still faded).
    void setColour(QColor colour);
    void setWeight(QFont::Weight weight);

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyColour();

    double m_opacity;
    std::optional<QColor> m_colour;
    bool m_applying = false;
};

} // namespace vorno::style
