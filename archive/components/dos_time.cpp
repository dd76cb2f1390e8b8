#include "archive/components/dos_time.h"

namespace vm {

namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

double DosDateTimeToDateTime(uint32_t stamp) {
  if (stamp == 0) stamp = kZeroDosStamp;
  const uint32_t date = stamp >> 16, time = stamp & 0xFFFF;
  const int year = static_cast<int>(date >> 9) + 1980;
  const int month = static_cast<int>((date >> 5) & 0x0F);
  const int day = static_cast<int>(date & 0x1F);
  constexpr double kInvalid = 29221.0 + 60.0 / 86400.0;
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return kInvalid;
  int days = 0;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  const int y = year - 1;
  const double dayNumber = y * 365 + y / 4 - y / 100 + y / 400 + days + day - 693594;
  const int hours = static_cast<int>(time >> 11), minutes = static_cast<int>((time >> 5) & 0x3F);
  const int seconds = static_cast<int>(time & 0x1F) * 2;
  return dayNumber + (hours * 3600 + minutes * 60 + seconds) / 86400.0;
}

uint32_t UnixTimeToDosDateTime(std::time_t t) {
  std::tm tm{};
  if (!localtime_r(&t, &tm) || tm.tm_year < 80) return 0x00210000;
  const uint32_t date = static_cast<uint32_t>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
  const uint32_t time = static_cast<uint32_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
  return (date << 16) | time;
}

std::time_t DosDateTimeToUnixTime(uint32_t stamp) {
  if (stamp == 0) stamp = kZeroDosStamp;
  std::tm tm{};
  tm.tm_year = static_cast<int>(stamp >> 25) + 80;
  tm.tm_mon = static_cast<int>((stamp >> 21) & 0x0F) - 1;
  tm.tm_mday = static_cast<int>((stamp >> 16) & 0x1F);
  tm.tm_hour = static_cast<int>((stamp >> 11) & 0x1F);
  tm.tm_min = static_cast<int>((stamp >> 5) & 0x3F);
  tm.tm_sec = static_cast<int>(stamp & 0x1F) * 2;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

}  // namespace vm
