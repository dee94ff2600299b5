#pragma once

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

// libFuzzer's bytes as Qt sees them, and a way to split them into fields
// (separated by a line feed) so one input can drive several arguments.
struct FuzzInput
{
    FuzzInput(const uint8_t *data, size_t size)
        : bytes(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)))
    {
    }

    [[nodiscard]] QList<QByteArray> fields(qsizetype count) const
    {
        QList<QByteArray> result;
        qsizetype start = 0;
        for (qsizetype i = 0; i + 1 < count; ++i) {
            const qsizetype end = bytes.indexOf('\n', start);
            if (end < 0)
                break;
            result.append(bytes.mid(start, end - start));
            start = end + 1;
        }
        result.append(bytes.mid(start));
        while (result.size() < count)
            result.append(QByteArray());
        return result;
    }

    QByteArray bytes;
};

// A broken invariant: libFuzzer records the input that led here.
#define FUZZ_ASSERT(condition)                                                                                        \
    do {                                                                                                              \
        if (!(condition))                                                                                             \
            __builtin_trap();                                                                                         \
    } while (false)
