// DOS date and time stamps: date in the high word (year since 1980, month,
// day), time in the low word (hours, minutes, seconds / 2), local time.
#pragma once

#include <cstdint>
#include <ctime>

namespace vm {

// 1 January 1980, 00:01:00: what a zero stamp stands for.
inline constexpr uint32_t kZeroDosStamp = 0x00210020;

// Days since 30 December 1899 plus the fraction of the day; a zero stamp
// counts as kZeroDosStamp, an impossible date as 1 January 1980, 00:01.
double DosDateTimeToDateTime(uint32_t stamp);

// A system time (seconds since 1970) as a local DOS stamp; times before 1980
// give 1 January 1980, 00:00.
uint32_t UnixTimeToDosDateTime(std::time_t t);
// A DOS stamp as a system time, read as local time.
std::time_t DosDateTimeToUnixTime(uint32_t stamp);

}  // namespace vm
