#pragma once

#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>

#include <optional>

// A freshly manufactured software TPM (swtpm) on loopback, with its state in a
// temporary directory, stopped when the object goes.
class SoftwareTpm
{
public:
    SoftwareTpm();
    ~SoftwareTpm();
    SoftwareTpm(const SoftwareTpm &) = delete;
    SoftwareTpm &operator=(const SoftwareTpm &) = delete;

    // Empty when swtpm could not start; error() says why.
    [[nodiscard]] QByteArray tcti() const { return m_tcti; }
    [[nodiscard]] QString error() const { return m_error; }

    // Runs one tpm2-tools command against this TPM in `directory`: its
    // standard output, or nothing when it failed (said with its error unless
    // `mayFail`).
    std::optional<QByteArray> tool(const QString &name, const QStringList &arguments, const QString &directory = {},
                                   bool mayFail = false) const;

private:
    QTemporaryDir m_state;
    QProcess m_process;
    QByteArray m_tcti;
    QString m_error;
};
