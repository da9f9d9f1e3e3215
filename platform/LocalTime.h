// The wall-clock time of day, for what the program stamps on its files and
// reports (dates in file names, the print time of a report). Everything that
// waits uses Clock instead; this is only read. Tests install a fixed time.
#pragma once

#include <functional>
#include <string>

namespace tarvel {

struct LocalDateTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The current local time (or what a test installed).
LocalDateTime LocalNow();

// `format` as strftime understands it ("%Y-%m-%d", "%H:%M:%S", ...).
std::string FormatLocalTime(const LocalDateTime& time, const char* format);

// Installs a source of the time; an empty function restores the system's.
void SetLocalTimeSource(std::function<LocalDateTime()> source);

// A fixed time for the lifetime of the guard (tests).
class ScopedLocalTime {
public:
    explicit ScopedLocalTime(const LocalDateTime& time);
    ~ScopedLocalTime();
    ScopedLocalTime(const ScopedLocalTime&) = delete;
    ScopedLocalTime& operator=(const ScopedLocalTime&) = delete;
};

} // namespace tarvel
