#pragma once

#include "views/FileReviewView.h"
#include "views/PreferencesView.h"

#include <QPointer>
#include <QWidget>

class QStackedWidget;

namespace vorno {

class AccessibilitySettings;
class CaptureStore;
namespace style {
class Label;
}
class ComposerView;
class NotchPressButton;
class NotificationCenter;
class SpringAnimation;

// The open panel below the header: the page's title row and one page at a
// time (compose, files, settings).
class NotchContents : public QWidget
{
    Q_OBJECT

public:
    struct Options
    {
        NotificationCenter *notifications = nullptr;
        PreferencesView::Options preferences {};
        FileReviewView::Options files {};
    };

    NotchContents(CaptureStore *store, AccessibilitySettings *settings, Options options, QWidget *parent = nullptr);

    [[nodiscard]] ComposerView *composer() const { return m_composer; }
    [[nodiscard]] NotchPressButton *backButton() const { return m_back; }
    [[nodiscard]] NotchPressButton *settingsButton() const { return m_gear; }
    [[nodiscard]] NotchPressButton *reviewFilesButton() const { return m_reviewFiles; }
    [[nodiscard]] QWidget *currentPage() const;

private:
    void followPage();
    void followFiles();
    void followUser();

    QPointer<CaptureStore> m_store;
    QPointer<AccessibilitySettings> m_settings;
    style::Label *m_title;
    NotchPressButton *m_back;
    NotchPressButton *m_gear;
    style::Label *m_settingsTitle;
    QStackedWidget *m_pages;
    QWidget *m_composePage;
    ComposerView *m_composer;
    NotchPressButton *m_reviewFiles;
    FileReviewView *m_files;
    PreferencesView *m_preferences;
    SpringAnimation *m_step;
    std::optional<QString> m_userId;
    bool m_userSeen = false;
};

} // namespace vorno
