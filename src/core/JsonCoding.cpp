#include "core/JsonCoding.h"

#include "core/Text.h"

#include <limits>

namespace vorno::json {

namespace {

void checkDepth(const QByteArray &bytes)
{
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : bytes) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > maximumDepth)
                throw DecodingError("nested too deeply");
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
}

QString toQString(const nlohmann::json &value)
{
    const auto &text = value.get_ref<const std::string &>();
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// QString::toUtf8 would write "?" for a lone surrogate: refuse instead, so no
// record is ever stored with text other than the user's.
std::string toStd(const QString &text)
{
    if (!Text::isWellFormed(text))
        throw DecodingError("text is not well-formed Unicode");
    return text.toStdString();
}

} // namespace

nlohmann::json parse(const QByteArray &bytes)
{
    checkDepth(bytes);
    try {
        return nlohmann::json::parse(bytes.cbegin(), bytes.cend());
    } catch (const nlohmann::json::exception &) {
        throw DecodingError("not a JSON document");
    }
}

Reader::Reader(const nlohmann::json &value, std::string path) : m_object(value), m_path(std::move(path))
{
    if (!m_object.is_object())
        throw DecodingError((m_path.empty() ? std::string("document") : m_path) + ": not an object");
}

const nlohmann::json &Reader::required(const char *key) const
{
    const nlohmann::json *value = optional(key);
    if (!value)
        fail(key, "missing or null");
    return *value;
}

const nlohmann::json *Reader::optional(const char *key) const
{
    const auto found = m_object.find(key);
    if (found == m_object.end() || found->is_null())
        return nullptr;
    return &*found;
}

std::string Reader::member(const char *key) const
{
    return m_path.empty() ? std::string(key) : m_path + '.' + key;
}

void Reader::fail(const char *key, const char *problem) const
{
    throw DecodingError(member(key) + ": " + problem);
}

QString Reader::string(const char *key) const
{
    const nlohmann::json &value = required(key);
    if (!value.is_string())
        fail(key, "not a string");
    return toQString(value);
}

std::optional<QString> Reader::optionalString(const char *key) const
{
    if (!optional(key))
        return std::nullopt;
    return string(key);
}

bool Reader::boolean(const char *key) const
{
    const nlohmann::json &value = required(key);
    if (!value.is_boolean())
        fail(key, "not a Boolean");
    return value.get<bool>();
}

qint64 Reader::integer(const char *key) const
{
    const nlohmann::json &value = required(key);
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > std::uint64_t(std::numeric_limits<qint64>::max()))
            fail(key, "integer out of range");
        return qint64(number);
    }
    if (!value.is_number_integer())
        fail(key, "not an integer");
    return value.get<std::int64_t>();
}

std::optional<qint64> Reader::optionalInteger(const char *key) const
{
    if (!optional(key))
        return std::nullopt;
    return integer(key);
}

double Reader::number(const char *key) const
{
    const nlohmann::json &value = required(key);
    if (!value.is_number())
        fail(key, "not a number");
    return value.get<double>();
}

std::optional<double> Reader::optionalNumber(const char *key) const
{
    if (!optional(key))
        return std::nullopt;
    return number(key);
}

QUrl Reader::url(const char *key) const
{
    const QString text = string(key);
    const QUrl url(text, QUrl::StrictMode);
    // Only the form the writer produces: what QUrl would rewrite on the way out
    // (a second '#', an upper-case host) would not read back as the same URL.
    if (!url.isValid() || url.isEmpty() || url.toString(QUrl::FullyEncoded) != text)
        fail(key, "not a URL");
    return url;
}

std::optional<QUrl> Reader::optionalUrl(const char *key) const
{
    if (!optional(key))
        return std::nullopt;
    return url(key);
}

QStringList Reader::strings(const char *key) const
{
    const nlohmann::json &array = required(key);
    if (!array.is_array())
        fail(key, "not an array");
    QStringList result;
    result.reserve(qsizetype(array.size()));
    for (const nlohmann::json &item : array) {
        if (!item.is_string())
            fail(key, "holds a value that is not a string");
        result.append(toQString(item));
    }
    return result;
}

QByteArray Reader::base64(const char *key) const
{
    const QByteArray text = string(key).toLatin1();
    if (text.size() % 4 != 0)
        fail(key, "not padded Base64");
    const QByteArray::FromBase64Result decoded
        = QByteArray::fromBase64Encoding(text, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        fail(key, "not Base64");
    return decoded.decoded;
}

QMap<QString, QString> Reader::stringMap(const char *key) const
{
    const nlohmann::json &object = required(key);
    if (!object.is_object())
        fail(key, "not an object");
    QMap<QString, QString> result;
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it.value().is_string())
            fail(key, "holds a value that is not a string");
        result.insert(QString::fromStdString(it.key()), toQString(it.value()));
    }
    return result;
}

void Writer::set(const char *key, const QString &value)
{
    m_object[key] = toStd(value);
}

void Writer::set(const char *key, bool value)
{
    m_object[key] = value;
}

void Writer::set(const char *key, qint64 value)
{
    m_object[key] = std::int64_t(value);
}

void Writer::set(const char *key, double value)
{
    m_object[key] = value;
}

void Writer::set(const char *key, const QUrl &value)
{
    m_object[key] = toStd(value.toString(QUrl::FullyEncoded));
}

void Writer::set(const char *key, const QStringList &value)
{
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const QString &item : value)
        array.push_back(toStd(item));
    m_object[key] = std::move(array);
}

void Writer::set(const char *key, const QMap<QString, QString> &value)
{
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (auto it = value.cbegin(); it != value.cend(); ++it)
        object[toStd(it.key())] = toStd(it.value());
    m_object[key] = std::move(object);
}

void Writer::setNull(const char *key)
{
    m_object[key] = nullptr;
}

void Writer::setBase64(const char *key, const QByteArray &bytes)
{
    m_object[key] = bytes.toBase64().toStdString();
}

QByteArray Writer::bytes() const
{
    const std::string text = m_object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    return QByteArray(text.data(), qsizetype(text.size()));
}

} // namespace vorno::json
