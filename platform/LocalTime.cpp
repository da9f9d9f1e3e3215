#include "LocalTime.h"

#include <ctime>
#include <mutex>

namespace tarvel {

namespace {

std::mutex sourceMutex;
std::function<LocalDateTime()> installedSource;

LocalDateTime SystemLocalNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
#ifdef _WIN32
    localtime_s(&parts, &now);
#else
    localtime_r(&now, &parts);
#endif
    LocalDateTime time;
    time.year = parts.tm_year + 1900;
    time.month = parts.tm_mon + 1;
    time.day = parts.tm_mday;
    time.hour = parts.tm_hour;
    time.minute = parts.tm_min;
    time.second = parts.tm_sec;
    return time;
}

} // namespace

LocalDateTime LocalNow()
{
    std::function<LocalDateTime()> source;
    {
        std::lock_guard<std::mutex> lock(sourceMutex);
        source = installedSource;
    }
    return source ? source() : SystemLocalNow();
}

std::string FormatLocalTime(const LocalDateTime& time, const char* format)
{
    std::tm parts{};
    parts.tm_year = time.year - 1900;
    parts.tm_mon = time.month - 1;
    parts.tm_mday = time.day;
    parts.tm_hour = time.hour;
    parts.tm_min = time.minute;
    parts.tm_sec = time.second;
    parts.tm_isdst = -1;
    char buffer[128];
    const size_t length = std::strftime(buffer, sizeof buffer, format, &parts);
    return std::string(buffer, length);
}

void SetLocalTimeSource(std::function<LocalDateTime()> source)
{
    std::lock_guard<std::mutex> lock(sourceMutex);
    installedSource = std::move(source);
}

ScopedLocalTime::ScopedLocalTime(const LocalDateTime& time)
{
    SetLocalTimeSource([time] { return time; });
}

ScopedLocalTime::~ScopedLocalTime() { SetLocalTimeSource({}); }

} // namespace tarvel
