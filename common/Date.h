// A calendar date, passed in wherever the program needs "today", so that the
// statement's date and year checks are deterministic under test.
#pragma once

#include <ctime>
#include <functional>

namespace epinax {

struct TDate {
    int year = 2000;
    int month = 1;
    int day = 1;
};

inline TDate LocalToday()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

using TClock = std::function<TDate()>;

}  // namespace epinax
