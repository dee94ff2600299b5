#pragma once

#include "support/Words.h"

#include <QWidget>

class QVBoxLayout;

namespace vorno::style {

// A card of the preferences: a title with its symbol in the accent colour,
// then the section's content, on a rounded field.
class SettingsSection : public QWidget
{
    Q_OBJECT

public:
    static constexpr int padding = 16;
    static constexpr int spacing = 14;
    static constexpr double radius = 20;

    SettingsSection(Words title, QString icon, QWidget *parent = nullptr);

    // Where the section's content goes, below the title.
    [[nodiscard]] QVBoxLayout *content() const { return m_content; }
    [[nodiscard]] Words title() const { return m_title; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Words m_title;
    QVBoxLayout *m_content;
};

} // namespace vorno::style
