#pragma once

#include <QWidget>

#include <stdexcept>

class QSvgRenderer;

namespace vorno {

// The product's symbol: our own drawing in the resources, loaded once per
// process and shared. A missing or broken drawing is a packaging fault: the
// application checks it at start-up (`load`) and stops with a clear message.
class BrandSymbol : public QWidget
{
    Q_OBJECT

public:
    class MissingError : public std::runtime_error
    {
    public:
        MissingError() : std::runtime_error("the brand symbol :/symbol.svg is missing or cannot be read") { }
    };

    BrandSymbol(double size, QWidget *parent = nullptr);

    // The shared drawing; throws MissingError when it cannot be loaded.
    static QSvgRenderer &load();
    // Draws the symbol fitted into `rect`, keeping its aspect ratio.
    static void paint(QPainter &painter, const QRectF &rect);

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_size;
};

} // namespace vorno
