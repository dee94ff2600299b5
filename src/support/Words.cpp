#include "support/Words.h"

#include <QCoreApplication>

#include <algorithm>
#include <utility>

namespace vorno {

namespace {

// UTF-8, in declaration order. QT_TRANSLATE_NOOP lets lupdate find the keys.
constexpr std::array<const char *, Words::count> english = {
    QT_TRANSLATE_NOOP("Words", "Review files"),
    QT_TRANSLATE_NOOP("Words", "Finish or clear this collection before adding more files."),
    QT_TRANSLATE_NOOP("Words", "Open collection results"),
    QT_TRANSLATE_NOOP("Words", "Recent work"),
    QT_TRANSLATE_NOOP("Words", "View all work"),
    QT_TRANSLATE_NOOP("Words", "Work date unknown"),
    QT_TRANSLATE_NOOP("Words", "Collect work"),
    QT_TRANSLATE_NOOP("Words", "Resume collection"),
    QT_TRANSLATE_NOOP("Words", "Organizing work"),
    QT_TRANSLATE_NOOP("Words", "Work collected"),
    QT_TRANSLATE_NOOP("Words", "No work found in this file"),
    QT_TRANSLATE_NOOP("Words", "Could not finish this file"),
    QT_TRANSLATE_NOOP("Words", "Part of this file was collected. Open the web for the full result."),
    QT_TRANSLATE_NOOP("Words", "Transferring file"),
    QT_TRANSLATE_NOOP("Words", "On this Mac"),
    QT_TRANSLATE_NOOP("Words", "Before uploading"),
    QT_TRANSLATE_NOOP("Words", "Could not connect. Your files have not been removed."),
    QT_TRANSLATE_NOOP("Words", "This collection needs Pro. Your existing work is unchanged."),
    QT_TRANSLATE_NOOP("Words", "Choose a supported file, up to 20 MB."),
    QT_TRANSLATE_NOOP("Words", "Clear local queue"),
    QT_TRANSLATE_NOOP("Words",
                      "This removes only recovery copies on this Mac. Cloud processing already started continues. Your "
                      "original files stay unchanged."),
    QT_TRANSLATE_NOOP("Words", "Sign in"),
    QT_TRANSLATE_NOOP("Words", "Sign out"),
    QT_TRANSLATE_NOOP("Words", "Refresh"),
    QT_TRANSLATE_NOOP("Words", "Use your Vorno account on this Mac."),
    QT_TRANSLATE_NOOP("Words",
                      "Stay signed in without Keychain. Login is encrypted for this Mac using Secure Enclave. Drafts "
                      "stay local, readable by your macOS account."),
    QT_TRANSLATE_NOOP("Words", "AI encouragement preferences · Pro"),
    QT_TRANSLATE_NOOP("Words", "Checking encouragement preferences…"),
    QT_TRANSLATE_NOOP("Words", "Could not load preferences. Nothing was changed."),
    QT_TRANSLATE_NOOP("Words", "Encouragement is currently unavailable."),
    QT_TRANSLATE_NOOP("Words", "On"),
    QT_TRANSLATE_NOOP("Words", "Off"),
    QT_TRANSLATE_NOOP("Words", "Paused"),
    QT_TRANSLATE_NOOP("Words", "Quiet hours"),
    QT_TRANSLATE_NOOP("Words", "macOS permission"),
    QT_TRANSLATE_NOOP("Words", "Allowed · macOS may silence delivery"),
    QT_TRANSLATE_NOOP("Words", "Blocked"),
    QT_TRANSLATE_NOOP("Words", "Not confirmed"),
    QT_TRANSLATE_NOOP("Words",
                      "Off by default. Recognize completed work, at most once a day across devices. Quiet from 10 pm "
                      "to 9 am. Manage consent, channels and pauses on the web."),
    QT_TRANSLATE_NOOP("Words", "Allow private Mac alerts when the notch is unavailable"),
    QT_TRANSLATE_NOOP("Words", "Turn off Mac system alerts"),
    QT_TRANSLATE_NOOP("Words", "A little recognition from vorno is here."),
    QT_TRANSLATE_NOOP("Words", "Test notification"),
    QT_TRANSLATE_NOOP("Words", "This is a notification test. Your work stays inside vorno."),
    QT_TRANSLATE_NOOP("Words", "Test sent. macOS may silence banners in Focus mode."),
    QT_TRANSLATE_NOOP("Words", "Could not send. Check vorno in System Settings > Notifications."),
    QT_TRANSLATE_NOOP("Words", "Save to Vorno"),
    QT_TRANSLATE_NOOP("Words", "Retry save"),
    QT_TRANSLATE_NOOP("Words", "New note"),
    QT_TRANSLATE_NOOP("Words", "Your work"),
    QT_TRANSLATE_NOOP("Words", "No work loaded yet."),
    QT_TRANSLATE_NOOP("Words", "Save sends this note to your account. Files stay on this Mac."),
    QT_TRANSLATE_NOOP(
        "Words",
        "This note exceeds the 4,000-character manual record limit. You can still save the whole draft on this Mac."),
    QT_TRANSLATE_NOOP("Words", "Saved to Vorno."),
    QT_TRANSLATE_NOOP("Words", "Could not connect. Your draft is still here. Try again."),
    QT_TRANSLATE_NOOP("Words", "Could not keep your draft securely. Your writing is still here."),
    QT_TRANSLATE_NOOP("Words",
                      "Could not securely store or restore your login on this Mac. Your drafts have not been removed."),
    QT_TRANSLATE_NOOP("Words", "This record changed on the web. Open Vorno web to check it; your draft is still here."),
    QT_TRANSLATE_NOOP("Words", "Signed out on this Mac. The server could not confirm session revocation."),
    QT_TRANSLATE_NOOP("Words", "Quick record"),
    QT_TRANSLATE_NOOP("Words", "Add files"),
    QT_TRANSLATE_NOOP("Words", "Open Vorno web"),
    QT_TRANSLATE_NOOP("Words", "Open Vorno Mac"),
    QT_TRANSLATE_NOOP("Words", "Settings"),
    QT_TRANSLATE_NOOP("Words", "Quit Vorno"),
    QT_TRANSLATE_NOOP("Words", "Close"),
    QT_TRANSLATE_NOOP("Words", "Save draft"),
    QT_TRANSLATE_NOOP("Words", "A little closer to your work."),
    QT_TRANSLATE_NOOP("Words", "Your local draft"),
    QT_TRANSLATE_NOOP("Words", "On this Mac only. Not synced to Vorno."),
    QT_TRANSLATE_NOOP("Words", "What did you work on?"),
    QT_TRANSLATE_NOOP("Words", "Draft saved on this Mac."),
    QT_TRANSLATE_NOOP("Words", "Could not save. Your writing is still here."),
    QT_TRANSLATE_NOOP("Words", "Could not read the existing draft. It has not been replaced."),
    QT_TRANSLATE_NOOP("Words", "Selected files"),
    QT_TRANSLATE_NOOP("Words", "Only the file names are staged. Nothing has been uploaded."),
    QT_TRANSLATE_NOOP("Words", "Choose readable files, not folders or links. Nothing was uploaded."),
    QT_TRANSLATE_NOOP("Words", "Remove"),
    QT_TRANSLATE_NOOP("Words", "Continue on the web"),
    QT_TRANSLATE_NOOP("Words", "File upload is not connected yet."),
    QT_TRANSLATE_NOOP("Words", "The web opens separately. Choose your files there to continue."),
    QT_TRANSLATE_NOOP("Words", "General"),
    QT_TRANSLATE_NOOP("Words", "Show notch companion"),
    QT_TRANSLATE_NOOP("Words", "Connection status"),
    QT_TRANSLATE_NOOP("Words", "No cloud jobs are connected."),
    QT_TRANSLATE_NOOP("Words", "Pro AI encouragement is not connected yet."),
    QT_TRANSLATE_NOOP("Words", "No screen, microphone, keyboard or folder monitoring."),
    QT_TRANSLATE_NOOP("Words", "Keep your draft before quitting?"),
    QT_TRANSLATE_NOOP("Words", "Quit without saving"),
    QT_TRANSLATE_NOOP("Words", "Cancel"),
    QT_TRANSLATE_NOOP("Words", "Unsaved edits will be lost. The previously saved local draft stays unchanged."),
    QT_TRANSLATE_NOOP("Words", "Native development build"),
    QT_TRANSLATE_NOOP("Words", "Drop files here"),
    QT_TRANSLATE_NOOP("Words", "Notifications"),
    QT_TRANSLATE_NOOP("Words", "Kept by this computer's TPM"),
    QT_TRANSLATE_NOOP("Words", "Kept in your keyring"),
    QT_TRANSLATE_NOOP("Words", "Checking how your login can be kept…"),
    QT_TRANSLATE_NOOP("Words", "This computer has no TPM that Vorno can use, so you sign in again at every start."),
    QT_TRANSLATE_NOOP("Words",
                      "Your user account may not use this computer's TPM. Run this once, then log out and in again:"),
    QT_TRANSLATE_NOOP("Words", "You may use the TPM from your next login on. Log out and in again to stay signed in."),
    QT_TRANSLATE_NOOP("Words",
                      "This computer's TPM has an owner password, so Vorno cannot make its key there. Remove the "
                      "password in the firmware settings, or keep your login in the keyring."),
    QT_TRANSLATE_NOOP("Words",
                      "This computer's TPM has locked itself after too many wrong passwords. It unlocks by itself "
                      "after a while; an administrator can unlock it with tpm2_dictionarylockout --clear-lockout."),
    QT_TRANSLATE_NOOP("Words",
                      "This computer's TPM no longer opens your kept login: the TPM was cleared, or the login was kept "
                      "on another computer. Sign in again."),
    QT_TRANSLATE_NOOP("Words", "This computer's TPM refused to make a key, so your login cannot be kept with it."),
    QT_TRANSLATE_NOOP("Words", "Keep my login in the keyring instead"),
    QT_TRANSLATE_NOOP("Words",
                      "No keyring service (Secret Service) runs on this desktop, so the login cannot be kept there."),
    QT_TRANSLATE_NOOP("Words", "Your keyring did not keep the login. You will sign in again at the next start."),
    QT_TRANSLATE_NOOP("Words", "Copy"),
    QT_TRANSLATE_NOOP("Words", "Keyboard"),
    QT_TRANSLATE_NOOP("Words", "Quick record from anywhere"),
    QT_TRANSLATE_NOOP("Words", "See or change the shortcut in your desktop's keyboard settings."),
    QT_TRANSLATE_NOOP(
        "Words", "To open Quick record from anywhere, bind this command to a key in your desktop's keyboard settings:"),
};

template<std::size_t... index>
constexpr std::array<Words, Words::count> makeAllCases(std::index_sequence<index...>)
{
    return {Words(Words::Value(index))...};
}

} // namespace

QString Words::rawValue() const
{
    return QString::fromUtf8(english[m_value]);
}

std::optional<Words> Words::fromRawValue(QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    const auto found
        = std::find_if(english.cbegin(), english.cend(), [&utf8](const char *candidate) { return utf8 == candidate; });
    if (found == english.cend())
        return std::nullopt;
    return Words(Value(found - english.cbegin()));
}

const std::array<Words, Words::count> &Words::allCases()
{
    static constexpr std::array<Words, count> cases = makeAllCases(std::make_index_sequence<count>());
    return cases;
}

QString Words::string() const
{
    return QCoreApplication::translate("Words", english[m_value]);
}

} // namespace vorno
