#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace vorno {

// Text rules shared by the records: what counts as a character, as blank, and
// how texts are ordered.
namespace Text {

// User-perceived characters (extended grapheme clusters).
[[nodiscard]] qsizetype characterCount(const QString &text);

// True when nothing but Unicode white space and line breaks is left.
[[nodiscard]] bool isBlank(QStringView text);

// Lexicographic by Unicode scalar values of the NFC forms; <0, 0 or >0.
[[nodiscard]] int compareScalars(const QString &a, const QString &b);

// True unless the text holds a UTF-16 surrogate without its partner, which
// no encoding could store unchanged.
[[nodiscard]] bool isWellFormed(QStringView text);

// True when the text holds a C0 control character (CR, LF and NUL among
// them) or DEL: such a value must never reach an HTTP header.
[[nodiscard]] bool hasControlCharacter(QByteArrayView text);

// SHA-256 through OpenSSL, which uses the CPU's SHA extensions.
[[nodiscard]] QByteArray sha256(QByteArrayView bytes);
// Lower-case hexadecimal SHA-256.
[[nodiscard]] QString sha256Hex(QByteArrayView bytes);

// Unpadded URL-safe Base64 (RFC 4648 section 5).
[[nodiscard]] QString base64Url(const QByteArray &bytes);

// Canonical 8-4-4-4-12 hexadecimal UUID text, in either case.
[[nodiscard]] bool isUuid(QStringView text);

// A new random UUID in canonical text, upper or lower case.
[[nodiscard]] QString newUuid(bool upperCase);
} // namespace Text

} // namespace vorno
