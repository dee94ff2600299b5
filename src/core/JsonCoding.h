#pragma once

// The one strict JSON layer every record coding goes through. Included only by
// .cpp files of this library, so nlohmann/json never reaches a public header.

#include "core/DecodingError.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <nlohmann/json.hpp>

#include <optional>
#include <vector>

namespace vorno::json {

// Deeper documents are refused before they are parsed: no record nests more than
// a few levels, and a hostile one must not exhaust the stack.
inline constexpr int maximumDepth = 64;

class Reader;
class Writer;

// Specialised once per record, next to the record's other code.
template<class T>
struct Coding;

// Parses a whole document. Throws DecodingError for anything that is not JSON,
// is not valid UTF-8 or nests deeper than maximumDepth.
[[nodiscard]] nlohmann::json parse(const QByteArray &bytes);

// A read-only view of one JSON object. Every accessor throws DecodingError when a
// required member is missing, null or of the wrong type; optional accessors give
// an absent value for a missing or null member; unknown members are ignored.
class Reader
{
public:
    Reader(const nlohmann::json &value, std::string path);

    [[nodiscard]] QString string(const char *key) const;
    [[nodiscard]] std::optional<QString> optionalString(const char *key) const;
    [[nodiscard]] bool boolean(const char *key) const;
    [[nodiscard]] qint64 integer(const char *key) const;
    [[nodiscard]] std::optional<qint64> optionalInteger(const char *key) const;
    [[nodiscard]] double number(const char *key) const;
    [[nodiscard]] std::optional<double> optionalNumber(const char *key) const;
    [[nodiscard]] QUrl url(const char *key) const;
    [[nodiscard]] std::optional<QUrl> optionalUrl(const char *key) const;
    [[nodiscard]] QStringList strings(const char *key) const;
    // Bytes carried as standard Base64 with padding.
    [[nodiscard]] QByteArray base64(const char *key) const;
    [[nodiscard]] QMap<QString, QString> stringMap(const char *key) const;

    template<class T>
    [[nodiscard]] T object(const char *key) const
    {
        return Coding<T>::read(Reader(required(key), member(key)));
    }

    template<class T>
    [[nodiscard]] std::optional<T> optionalObject(const char *key) const
    {
        const nlohmann::json *value = optional(key);
        if (!value)
            return std::nullopt;
        return Coding<T>::read(Reader(*value, member(key)));
    }

    template<class T>
    [[nodiscard]] std::vector<T> objects(const char *key) const
    {
        const nlohmann::json &array = required(key);
        if (!array.is_array())
            fail(key, "not an array");
        std::vector<T> result;
        result.reserve(array.size());
        for (std::size_t i = 0; i < array.size(); ++i)
            result.push_back(Coding<T>::read(Reader(array[i], member(key) + '[' + std::to_string(i) + ']')));
        return result;
    }

private:
    [[nodiscard]] const nlohmann::json &required(const char *key) const;
    [[nodiscard]] const nlohmann::json *optional(const char *key) const;
    [[nodiscard]] std::string member(const char *key) const;
    [[noreturn]] void fail(const char *key, const char *problem) const;

    const nlohmann::json &m_object;
    std::string m_path;
};

// Builds one JSON object with members in the order they are set. Absent optional
// values are left out rather than written as null.
class Writer
{
public:
    void set(const char *key, const QString &value);
    void set(const char *key, bool value);
    void set(const char *key, qint64 value);
    void set(const char *key, double value);
    void set(const char *key, const QUrl &value);
    void set(const char *key, const QStringList &value);
    void set(const char *key, const QMap<QString, QString> &value);
    void setNull(const char *key);
    void setBase64(const char *key, const QByteArray &bytes);

    template<class T>
    void set(const char *key, const std::optional<T> &value)
    {
        if (value)
            set(key, *value);
    }

    template<class T>
    void set(const char *key, const T &record)
    {
        Writer nested;
        Coding<T>::write(nested, record);
        m_object[key] = std::move(nested.m_object);
    }

    template<class T>
    void set(const char *key, const std::vector<T> &records)
    {
        nlohmann::ordered_json array = nlohmann::ordered_json::array();
        for (const T &record : records) {
            Writer nested;
            Coding<T>::write(nested, record);
            array.push_back(std::move(nested.m_object));
        }
        m_object[key] = std::move(array);
    }

    // Compact UTF-8, members in insertion order.
    [[nodiscard]] QByteArray bytes() const;

private:
    nlohmann::ordered_json m_object = nlohmann::ordered_json::object();
};

template<class T>
[[nodiscard]] T decode(const QByteArray &bytes)
{
    return Coding<T>::read(Reader(parse(bytes), {}));
}

template<class T>
[[nodiscard]] QByteArray encode(const T &record)
{
    Writer writer;
    Coding<T>::write(writer, record);
    return writer.bytes();
}

} // namespace vorno::json

namespace vorno {
struct CloudIdentity;
struct CloudSession;
struct CloudWorkPeriod;
struct CloudWorkContext;
struct CloudWork;
struct PendingWork;
struct LocalDraft;
struct FileCollectionPolicy;
struct CollectedFile;
struct FileCollectionBatch;
struct EncouragementState;
struct EncouragementNote;
struct EncouragementClaim;
} // namespace vorno

namespace vorno::json {

#define VORNO_JSON_DECODING(Type)                                                                                      \
    template<>                                                                                                         \
    struct Coding<Type>                                                                                                \
    {                                                                                                                  \
        static Type read(const Reader &json);                                                                          \
    };

#define VORNO_JSON_CODING(Type)                                                                                        \
    template<>                                                                                                         \
    struct Coding<Type>                                                                                                \
    {                                                                                                                  \
        static Type read(const Reader &json);                                                                          \
        static void write(Writer &json, const Type &value);                                                            \
    };

VORNO_JSON_CODING(CloudIdentity)
VORNO_JSON_CODING(CloudSession)
VORNO_JSON_CODING(CloudWorkPeriod)
VORNO_JSON_CODING(CloudWorkContext)
VORNO_JSON_CODING(CloudWork)
VORNO_JSON_CODING(PendingWork)
VORNO_JSON_CODING(LocalDraft)
VORNO_JSON_CODING(FileCollectionPolicy)
VORNO_JSON_CODING(CollectedFile)
VORNO_JSON_CODING(FileCollectionBatch)
VORNO_JSON_DECODING(EncouragementState)
VORNO_JSON_DECODING(EncouragementNote)
VORNO_JSON_DECODING(EncouragementClaim)

#undef VORNO_JSON_CODING
#undef VORNO_JSON_DECODING

} // namespace vorno::json
