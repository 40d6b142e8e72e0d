#pragma once
// Puts the process in a time zone (a TZ value such as "CET-1CEST,M3.5.0,M10.5.0/3")
// for the scope of a test and brings back the one it had.

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace TestSupport {

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char *tz)
    {
        if (const char *old = std::getenv("TZ"))
            FOld = old;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (FOld)
            setenv("TZ", FOld->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone &) = delete;
    ScopedTimeZone &operator=(const ScopedTimeZone &) = delete;

private:
    std::optional<std::string> FOld;
};

} // namespace TestSupport
