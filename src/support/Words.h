#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <functional>
#include <optional>

namespace vorno {

// Every text the user sees. The English text is each case's identity and the
// key of its translation; stores hold a Words value, never free text.
class Words
{
public:
    enum Value : unsigned char {
        fileReview,
        filePending,
        fileResults,
        recentWork,
        allWork,
        unknownWorkDate,
        fileSend,
        fileResume,
        fileProcessing,
        fileReady,
        fileEmpty,
        fileFailed,
        filePartial,
        fileTransfer,
        fileLocal,
        fileChecks,
        fileUnavailable,
        filePro,
        fileInvalid,
        fileClear,
        fileClearHint,
        cloudLogin,
        cloudLogout,
        cloudRefresh,
        cloudAccount,
        cloudSession,
        aiSettings,
        aiLoading,
        aiReadFailed,
        aiUnavailable,
        aiOn,
        aiOff,
        aiPaused,
        aiQuietNow,
        aiPermission,
        aiAllowed,
        aiBlocked,
        aiUnknown,
        aiQuiet,
        aiSystemOn,
        aiSystemOff,
        aiPrivate,
        aiTest,
        aiTestBody,
        aiTestSent,
        aiTestFailed,
        cloudSave,
        cloudRetrySave,
        cloudNew,
        cloudWork,
        cloudEmpty,
        cloudManual,
        cloudLong,
        cloudSaved,
        cloudRetry,
        cloudStorage,
        cloudLoginStorage,
        cloudConflict,
        cloudSignedOutOffline,
        quick,
        files,
        web,
        app,
        settings,
        quit,
        close,
        save,
        title,
        draft,
        local,
        start,
        saved,
        failed,
        recovery,
        selected,
        selectedHint,
        fileError,
        remove,
        continueWeb,
        connection,
        pickWeb,
        general,
        show,
        status,
        noJobs,
        noAI,
        privacy,
        unsaved,
        quitWithout,
        cancel,
        unsavedHint,
        dev,
        drop,
        notifications,
        keptByTpm,
        keptInKeyring,
        tpmChecking,
        tpmMissing,
        tpmPermission,
        tpmNewLogin,
        tpmOwnerPassword,
        tpmLockout,
        tpmCleared,
        tpmFault,
        keyringChoice,
        keyringMissing,
        keyringFailed,
        copy,
        keyboard,
        shortcutBound,
        shortcutChange,
        shortcutManual,
    };

    static constexpr std::size_t count = 112;

    constexpr Words(Value value) : m_value(value) { }

    [[nodiscard]] constexpr Value value() const { return m_value; }

    // The English text.
    [[nodiscard]] QString rawValue() const;
    // The case whose English text is exactly `text`.
    [[nodiscard]] static std::optional<Words> fromRawValue(QStringView text);
    // Every case in declaration order.
    [[nodiscard]] static const std::array<Words, count> &allCases();

    // The display text in the user's language; the English text when untranslated.
    [[nodiscard]] QString string() const;

    friend constexpr bool operator==(Words, Words) = default;

private:
    Value m_value;
};

[[nodiscard]] inline size_t qHash(Words words, size_t seed = 0) noexcept
{
    return ::qHash(int(words.value()), seed);
}

} // namespace vorno

template<>
struct std::hash<vorno::Words>
{
    std::size_t operator()(vorno::Words words) const noexcept { return std::hash<int>()(words.value()); }
};
