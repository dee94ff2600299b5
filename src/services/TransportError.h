#pragma once

#include <exception>

namespace vorno {

// The request never produced an HTTP answer. Callers treat it as "other", apart
// from the cloud failures.
class TransportError : public std::exception
{
public:
    enum class Kind {
        network,   // unreachable, refused, reset, TLS refused, …
        timeout,   // nothing arrived within the request's time-out
        cancelled, // the request was abandoned on purpose
        tooLarge,  // the answer exceeded what we are prepared to hold
    };

    TransportError(Kind kind, int networkError = 0) : m_kind(kind), m_networkError(networkError) { }

    [[nodiscard]] Kind kind() const { return m_kind; }
    // QNetworkReply::NetworkError, for diagnostics.
    [[nodiscard]] int networkError() const { return m_networkError; }
    [[nodiscard]] const char *what() const noexcept override;

private:
    Kind m_kind;
    int m_networkError;
};

} // namespace vorno
