#include "shell/DateTime.h"

#include <cstdio>
#include <ctime>

namespace orvella {

std::string toIsoText(DateTime value) {
    std::time_t t = std::chrono::system_clock::to_time_t(value);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
    return text;
}

std::optional<DateTime> fromIsoText(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char separator = ' ';
    int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d", &year, &month, &day,
                             &separator, &hour, &minute, &second);
    bool dateOnly = fields == 3;
    bool dateAndTime = fields == 7 && (separator == ' ' || separator == 'T');
    if (!dateOnly && !dateAndTime)
        return std::nullopt;
    using namespace std::chrono;
    year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                        std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok() || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
        second > 60)
        return std::nullopt;
    return sys_days(date) + hours(hour) + minutes(minute) + seconds(second);
}

DateTime nowUtc() {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

} // namespace orvella
