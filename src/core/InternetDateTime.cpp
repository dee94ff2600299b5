#include "core/InternetDateTime.h"

#include <QTimeZone>

namespace vorno {

namespace {

// Reads exactly `count` decimal digits at `position`.
std::optional<int> digits(QStringView text, qsizetype position, qsizetype count)
{
    if (position + count > text.size())
        return std::nullopt;
    int value = 0;
    for (qsizetype i = position; i < position + count; ++i) {
        const QChar c = text[i];
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

bool at(QStringView text, qsizetype position, QChar expected)
{
    return position < text.size() && text[position] == expected;
}

} // namespace

std::optional<QDateTime> InternetDateTime::parse(QStringView text)
{
    const auto year = digits(text, 0, 4);
    const auto month = digits(text, 5, 2);
    const auto day = digits(text, 8, 2);
    const auto hour = digits(text, 11, 2);
    const auto minute = digits(text, 14, 2);
    const auto second = digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second || !at(text, 4, u'-') || !at(text, 7, u'-')
        || !at(text, 10, u'T') || !at(text, 13, u':') || !at(text, 16, u':'))
        return std::nullopt;

    const QDate date(*year, *month, *day);
    const QTime time(*hour, *minute, *second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;

    qsizetype position = 19;
    int milliseconds = 0;
    if (at(text, position, u'.')) {
        ++position;
        const qsizetype first = position;
        while (position < text.size() && text[position] >= u'0' && text[position] <= u'9')
            ++position;
        if (position == first)
            return std::nullopt;
        const QStringView fraction
            = text.sliced(first, position - first).first(std::min<qsizetype>(3, position - first));
        milliseconds = fraction.toInt();
        for (qsizetype n = fraction.size(); n < 3; ++n)
            milliseconds *= 10;
    }

    int offsetSeconds = 0;
    if (at(text, position, u'Z')) {
        ++position;
    } else if (at(text, position, u'+') || at(text, position, u'-')) {
        const int sign = text[position] == u'-' ? -1 : 1;
        const auto offsetHours = digits(text, position + 1, 2);
        const auto offsetMinutes = digits(text, position + 4, 2);
        if (!offsetHours || !offsetMinutes || !at(text, position + 3, u':') || *offsetHours > 23 || *offsetMinutes > 59)
            return std::nullopt;
        offsetSeconds = sign * (*offsetHours * 3600 + *offsetMinutes * 60);
        position += 6;
    } else {
        return std::nullopt;
    }
    if (position != text.size())
        return std::nullopt;

    QDateTime result(date, time.addMSecs(milliseconds), QTimeZone(offsetSeconds));
    return result.toUTC();
}

QDateTime InternetDateTime::parseOrDistantPast(QStringView text)
{
    if (const auto instant = parse(text))
        return *instant;
    return QDateTime(QDate(1, 1, 1), QTime(0, 0), QTimeZone::utc());
}

} // namespace vorno
