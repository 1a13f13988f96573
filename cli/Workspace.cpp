#include "cli/Workspace.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace epinax::cli {

namespace {

std::string MakePrivateDirectory()
{
    std::error_code ignored;
    std::filesystem::path base = std::filesystem::temp_directory_path(ignored);
    if (base.empty()) base = "/tmp";
    std::string pattern = (base / "epinax-cli-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary directory in " + base.string());
    return pattern + "/";
}

}  // namespace

void RecordingUi::Clear()
{
    messages.clear();
    focus.clear();
}

Workspace::Workspace(IUserInterface& ui, TClock today) : directory_(MakePrivateDirectory())
{
    statement_ = std::make_unique<TStatement>(directory_, ui, std::move(today));
}

// As closing the window does, without its question: a pending row is
// dropped, the lists are closed and the working files removed; then the
// directory goes, with anything a failed step may have left in it.
Workspace::~Workspace()
{
    for (TSide side : {TSide::Customers, TSide::Suppliers}) {
        try {
            statement_->List(side).Cancel();
            statement_->List(side).Close();
        } catch (...) {
        }
    }
    statement_->RemoveWorkingFiles();
    statement_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

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
