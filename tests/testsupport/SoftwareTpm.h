#pragma once

#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>

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

private:
    QTemporaryDir m_state;
    QProcess m_process;
    QByteArray m_tcti;
    QString m_error;
};
