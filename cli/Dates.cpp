#include "cli/Dates.h"

namespace epinax::cli {

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<TDate> ParseDate(std::string_view text)
{
    if (text.size() != 8) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    auto number = [&](size_t from, size_t width) { return std::stoi(std::string(text.substr(from, width))); };
    TDate date{number(0, 4), number(4, 2), number(6, 2)};
    if (date.month < 1 || date.month > 12) return std::nullopt;
    if (date.day < 1 || date.day > DaysInMonth(date.year, date.month)) return std::nullopt;
    return date;
}

std::string DateRefusal(const std::string& text)
{
    return "Η ημερομηνία «" + text + "» δεν είναι υπαρκτή ημερομηνία της μορφής ΕΕΕΕΜΜΗΗ (YYYYMMDD)";
}

TClock FixedClock(TDate date)
{
    return [date] { return date; };
}

}  // namespace epinax::cli
