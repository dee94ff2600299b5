#include "core/Text.h"

#include <QList>
#include <QTextBoundaryFinder>
#include <QUuid>

#include <openssl/evp.h>

#include <algorithm>

namespace vorno {

qsizetype Text::characterCount(const QString &text)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

bool Text::isBlank(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
}

int Text::compareScalars(const QString &a, const QString &b)
{
    const QList<uint> left = a.normalized(QString::NormalizationForm_C).toUcs4();
    const QList<uint> right = b.normalized(QString::NormalizationForm_C).toUcs4();
    const auto [l, r] = std::mismatch(left.cbegin(), left.cend(), right.cbegin(), right.cend());
    if (l == left.cend())
        return r == right.cend() ? 0 : -1;
    if (r == right.cend())
        return 1;
    return *l < *r ? -1 : 1;
}

bool Text::isWellFormed(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

bool Text::hasControlCharacter(QByteArrayView text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x20 || uchar(c) == 0x7f; });
}

QByteArray Text::sha256(QByteArrayView bytes)
{
    QByteArray digest(32, Qt::Uninitialized);
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), std::size_t(bytes.size()), reinterpret_cast<unsigned char *>(digest.data()), &length,
                   EVP_sha256(), nullptr)
            != 1
        || length != 32)
        throw std::bad_alloc(); // EVP_Digest fails only when it cannot allocate its context
    return digest;
}

QString Text::sha256Hex(QByteArrayView bytes)
{
    return QString::fromLatin1(sha256(bytes).toHex());
}

QString Text::base64Url(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

bool Text::isUuid(QStringView text)
{
    static constexpr qsizetype length = 36;
    if (text.size() != length)
        return false;
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = text[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != u'-')
                return false;
        } else if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'))) {
            return false;
        }
    }
    return true;
}

QString Text::newUuid(bool upperCase)
{
    const QString text = QUuid::createUuid().toString(QUuid::WithoutBraces);
    return upperCase ? text.toUpper() : text.toLower();
}

} // namespace vorno
