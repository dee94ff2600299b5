#pragma once

#include "support/Words.h"

#include <QPointer>
#include <QWidget>

#include <chrono>

class QVBoxLayout;

namespace vorno {

class AccessibilitySettings;
namespace style {
class BusyIndicator;
}
namespace style {
class Button;
}
namespace style {
class Disclosure;
}
class CaptureStore;
namespace style {
class Label;
}
namespace style {
class Toggle;
}
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
    [[nodiscard]] style::Button *primaryButton() const { return m_primary; }
    [[nodiscard]] style::Button *resultsButton() const { return m_results; }
    [[nodiscard]] style::Button *clearButton() const { return m_clear; }
    [[nodiscard]] style::Button *confirmClearButton() const { return m_confirm; }
    [[nodiscard]] QList<style::Toggle *> consentToggles() const { return m_toggles; }
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

    style::Label *m_account;
    style::Button *m_signIn;
    QVBoxLayout *m_rows;
    style::Button *m_cancel;
    style::Label *m_notice;
    style::Label *m_hint;
    style::Label *m_failure;
    style::Disclosure *m_consent;
    QWidget *m_consentContent;
    QList<style::Toggle *> m_toggles;
    style::BusyIndicator *m_loading;
    style::Label *m_finished;
    style::Button *m_primary;
    style::Button *m_results;
    style::Button *m_refresh;
    style::Button *m_clear;
    QWidget *m_confirmation;
    style::Button *m_confirm;
};

} // namespace vorno
