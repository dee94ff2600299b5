#pragma once

#include <QPointer>
#include <QUrl>
#include <QWidget>

class QLabel;

namespace vorno {

class AccessibilitySettings;
class BusyIndicator;
class CaptureButton;
class CaptureText;
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
    [[nodiscard]] CaptureButton *primaryButton() const { return m_primary; }
    [[nodiscard]] CaptureButton *secondaryButton() const { return m_secondary; }
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
    CaptureText *m_signedOutText;
    CaptureText *m_promise;
    CaptureButton *m_primary;
    CaptureButton *m_secondary;
    BusyIndicator *m_busy;
    CaptureText *m_notice;
};

} // namespace vorno
