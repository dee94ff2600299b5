#pragma once

#include "support/Words.h"

#include <QPointer>
#include <QWidget>

#include <chrono>

class QVBoxLayout;

namespace vorno {

class AccessibilitySettings;
class BusyIndicator;
class CaptureButton;
class CaptureDisclosure;
class CaptureStore;
class CaptureText;
class CaptureToggle;
struct CollectedFile;

// The files page: the staged files or the collection's files with their
// states, the consent statements, and starting, following, opening and
// clearing the collection. While shown it polls the collection every 5 s.
class FileReviewView : public QWidget
{
    Q_OBJECT

public:
    struct Options
    {
        QString language; // default: the interface locale's language, "en" without one
        std::chrono::nanoseconds pollInterval = std::chrono::seconds(5);
    };

    FileReviewView(CaptureStore *store, AccessibilitySettings *settings, Options options, QWidget *parent = nullptr);
    ~FileReviewView() override;

    [[nodiscard]] static Words stateText(const CollectedFile &file);
    [[nodiscard]] static Words failureText(const QString &code);

    [[nodiscard]] bool isConfirmingClear() const { return m_confirmClear; }
    [[nodiscard]] CaptureButton *primaryButton() const { return m_primary; }
    [[nodiscard]] CaptureButton *resultsButton() const { return m_results; }
    [[nodiscard]] CaptureButton *clearButton() const { return m_clear; }
    [[nodiscard]] CaptureButton *confirmClearButton() const { return m_confirm; }
    [[nodiscard]] QList<CaptureToggle *> consentToggles() const { return m_toggles; }
    // The capture store's word about files (a refused drop, an unfinished
    // collection), empty when none is shown; whether the staging hint shows.
    [[nodiscard]] QString noticeText() const;
    [[nodiscard]] bool showsHint() const;
    // The texts of the rows shown now, one line per row (name, then state).
    [[nodiscard]] QStringList rowTexts() const;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void rebuildRows();
    void rebuildConsent();
    void refreshControls();
    void send();
    void confirmClear();
    void orderTabs();

    QPointer<CaptureStore> m_store;
    QPointer<AccessibilitySettings> m_settings;
    Options m_options;
    bool m_confirmClear = false;

    CaptureText *m_account;
    CaptureButton *m_signIn;
    QVBoxLayout *m_rows;
    CaptureButton *m_cancel;
    CaptureText *m_notice;
    CaptureText *m_hint;
    CaptureText *m_failure;
    CaptureDisclosure *m_consent;
    QWidget *m_consentContent;
    QList<CaptureToggle *> m_toggles;
    BusyIndicator *m_loading;
    CaptureText *m_finished;
    CaptureButton *m_primary;
    CaptureButton *m_results;
    CaptureButton *m_refresh;
    CaptureButton *m_clear;
    QWidget *m_confirmation;
    CaptureButton *m_confirm;
};

} // namespace vorno
