#include "base/time.h"

#include <string>

namespace {

bool is_leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap(year) ? 29 : days[month - 1];
}

bool is_valid(const DateTime& d) {
    return d.year >= 100 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
           d.day <= days_in_month(d.year, d.month) && d.hour >= 0 && d.hour <= 23 && d.minute >= 0 && d.minute <= 59 &&
           d.second >= 0 && d.second <= 59;
}

// Days since 1970-01-01 in the proleptic Gregorian calendar.
std::int64_t days_from_civil(int year, int month, int day) {
    std::int64_t y = month <= 2 ? year - 1 : year;
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    std::int64_t yoe = y - era * 400;
    std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::int64_t seconds_since_epoch(const DateTime& d) {
    return days_from_civil(d.year, d.month, d.day) * 86400 + d.hour * 3600 + d.minute * 60 + d.second;
}

// Reads 1 to max_digits decimal digits followed by the expected separator
// (or the end of the text when separator is 0), advancing pos.
bool read_field(const std::string& s, std::size_t& pos, int max_digits, char separator, int& value) {
    std::size_t begin = pos;
    value = 0;
    while (pos < s.size() && pos - begin < static_cast<std::size_t>(max_digits) && s[pos] >= '0' && s[pos] <= '9')
        value = value * 10 + (s[pos++] - '0');
    if (pos == begin) return false;
    if (separator == 0) return pos == s.size();
    if (pos >= s.size() || s[pos] != separator) return false;
    ++pos;
    return true;
}

bool parse_date_time(const std::string& s, DateTime& d) {
    std::size_t pos = 0;
    if (!read_field(s, pos, 4, '-', d.year) || !read_field(s, pos, 2, '-', d.month)) return false;
    if (s.find(' ', pos) == std::string::npos) return read_field(s, pos, 2, 0, d.day);
    return read_field(s, pos, 2, ' ', d.day) && read_field(s, pos, 2, ':', d.hour) &&
           read_field(s, pos, 2, ':', d.minute) && read_field(s, pos, 2, 0, d.second);
}

}  // namespace

DateTime to_time(const Text& t) {
    DateTime d;
    if (!parse_date_time(t.bytes(), d) || !is_valid(d)) return DateTime();
    return d;
}

std::int64_t time_diff_seconds_wide(const DateTime& t1, const DateTime& t2) {
    return seconds_since_epoch(t1) - seconds_since_epoch(t2);
}

std::int32_t time_diff_seconds(const DateTime& t1, const DateTime& t2) {
    return static_cast<std::int32_t>(time_diff_seconds_wide(t1, t2));
}
