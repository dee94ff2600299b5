#pragma once

#include <QPointer>
#include <QUrl>
#include <QWidget>

class QLabel;

namespace vorno {

class AccessibilitySettings;
namespace style {
class BusyIndicator;
}
namespace style {
class Button;
}
namespace style {
class Label;
}
class CloudStore;

// The sign-in state and its buttons: sign in through the browser (or cancel
// a sign-in under way), refresh, sign out.
class CloudAccountView : public QWidget
{
    Q_OBJECT

public:
    CloudAccountView(CloudStore *cloud, QUrl origin, AccessibilitySettings *settings, QWidget *parent = nullptr);

    // The account line shown while signed in: the e-mail, or "vorno".
    [[nodiscard]] QString accountLine() const;
    [[nodiscard]] style::Button *primaryButton() const { return m_primary; }
    [[nodiscard]] style::Button *secondaryButton() const { return m_secondary; }
    // The general line on how the login is kept; hidden where a line on this
    // computer's actual state takes its place.
    void setPromiseVisible(bool visible);

private:
    void refresh();
    void primaryAction();
    void secondaryAction();

    QPointer<CloudStore> m_cloud;
    QUrl m_origin;
    QWidget *m_identity;
    QLabel *m_account;
    style::Label *m_signedOutText;
    style::Label *m_promise;
    style::Button *m_primary;
    style::Button *m_secondary;
    style::BusyIndicator *m_busy;
    style::Label *m_notice;
};

} // namespace vorno
