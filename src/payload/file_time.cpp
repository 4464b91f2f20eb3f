#include "payload/file_time.h"

#include "base/scoped_win.h"
#include "base/utf8_text.h"
#include "base/wide_paths.h"
#include "payload/day_count.h"

#include <windows.h>

double LocalNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    TCivilTime t;
    t.Year = st.wYear;
    t.Month = st.wMonth;
    t.Day = st.wDay;
    t.Hour = st.wHour;
    t.Minute = st.wMinute;
    t.Second = st.wSecond;
    t.Millisecond = st.wMilliseconds;
    return EncodeDayCount(t);
}

double FileDate(const std::string& path) {
    WIN32_FIND_DATAW found;
    if (!TFindHandle(FindFirstFileW(WideText(path).c_str(), &found))) return LocalNow();
    FILETIME local;
    WORD dosDate, dosTime;
    // A time the DOS format cannot hold (before 1980) never equals a stamp.
    if (!FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) ||
        !FileTimeToDosDateTime(&local, &dosDate, &dosTime))
        return LocalNow();
    return DosToDayCount(dosDate, dosTime);
}

bool SetFileDate(const TFileHandle& file, double stamp) {
    uint16_t dosDate, dosTime;
    if (!DayCountToDos(stamp, dosDate, dosTime)) return false;
    FILETIME local, utc;
    return DosDateTimeToFileTime(dosDate, dosTime, &local) &&
           LocalFileTimeToFileTime(&local, &utc) && SetFileTime(file.Get(), nullptr, nullptr, &utc);
}

bool SetFileDate(const std::string& path, double stamp) {
    uint16_t dosDate, dosTime;
    if (!DayCountToDos(stamp, dosDate, dosTime)) return false; // no need to open it
    const TFileHandle file = CreatePathFile(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
    return file && SetFileDate(file, stamp);
}
