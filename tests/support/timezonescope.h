#pragma once
// Runs part of a test in another time zone: sets TZ for the whole process while the scope lives
// and puts the previous zone back when it ends. Qt reads the zone again at every local-time
// conversion, so QDateTime values built inside the scope are in that zone.

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

class TTimeZoneScope {
public:
    explicit TTimeZoneScope(const char* zone) : had_(qEnvironmentVariableIsSet("TZ")), old_(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~TTimeZoneScope()
    {
        if (had_)
            qputenv("TZ", old_);
        else
            qunsetenv("TZ");
        tzset();
    }
    TTimeZoneScope(const TTimeZoneScope&) = delete;
    TTimeZoneScope& operator=(const TTimeZoneScope&) = delete;

private:
    bool had_;
    QByteArray old_;
};

// A zone whose daylight saving skipped midnight: 2018-11-04 00:00 did not exist there.
inline constexpr const char* kSkippedMidnightZone = "America/Sao_Paulo";
