#include "services/core/ValueText.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace corelib::valuetext {

namespace {

// The date-time range that every conversion clamps to: years 100 to 9999.
constexpr double kFirstDay = -657434.0;
constexpr double kLastDay = 2958465.0;
constexpr int64_t kDaysFrom1899To1970 = 25569;

struct CivilDate {
  int year, month, day;
};

// Gregorian date of a day count from 1970-01-01 (the well-known era arithmetic).
CivilDate CivilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t dayOfEra = z - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
  return {year, month, day};
}

std::string Printf(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

std::string Decimal(int64_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
  return buffer;
}

}  // namespace

std::string FormatDateTime(double days) {
  if (std::isnan(days)) days = 0;
  if (days < kFirstDay) days = kFirstDay;
  if (days > kLastDay) days = kLastDay;
  // Before 1899-12-30 the whole part still counts days and the fraction is the time of day.
  int64_t day = static_cast<int64_t>(std::trunc(days));
  int64_t seconds = std::llround(std::fabs(days - static_cast<double>(day)) * 86400.0);
  if (seconds >= 86400) {
    seconds -= 86400;
    ++day;
  }
  const CivilDate date = CivilFromDays(day - kDaysFrom1899To1970);
  const int hour = static_cast<int>(seconds / 3600);
  const int minute = static_cast<int>(seconds / 60 % 60);
  const int second = static_cast<int>(seconds % 60);

  char buffer[100];
  int used = std::snprintf(buffer, sizeof buffer, "%d年%d月%d日", date.year, date.month, date.day);
  char* rest = buffer + used;
  size_t room = sizeof buffer - used;
  if (second != 0) {
    std::snprintf(rest, room, "%d时%d分%d秒", hour, minute, second);
  } else if (minute != 0) {
    std::snprintf(rest, room, "%d时%d分", hour, minute);
  } else if (hour != 0) {
    std::snprintf(rest, room, "%d时", hour);
  }
  return buffer;
}

bool FormatScalar(const rt::ArgTriple& value, std::string& out) {
  switch (value.type) {
    case rt::kTypeByte: out = Decimal(value.lo & 0xFF); return true;
    case rt::kTypeShort: out = Decimal(static_cast<int16_t>(value.lo & 0xFFFF)); return true;
    case rt::kTypeInt: out = Decimal(value.Int()); return true;
    case rt::kTypeLong: out = Decimal(value.Long()); return true;
    // The float goes through "%.6g" on its exact double value, which rounds it to 6 digits.
    case rt::kTypeFloat: out = Printf("%.6g", static_cast<double>(value.Float())); return true;
    case rt::kTypeDouble: out = Printf("%.13g", value.Double()); return true;
    case rt::kTypeBool: out = value.lo != 0 ? "真" : "假"; return true;
    case rt::kTypeDateTime: out = FormatDateTime(value.Double()); return true;
    default: return false;
  }
}

bool ArrayBytesAsText(const rt::ArgTriple& value, std::string& out) {
  const void* block = reinterpret_cast<const void*>(static_cast<uintptr_t>(value.lo));
  const uint8_t* data = nullptr;
  size_t size = 0;
  if (value.type == rt::kTypeBytes) {
    const rt::ByteArrayView bytes = rt::ViewBytes(block);
    data = bytes.data;
    size = bytes.size;
  } else if (rt::IsArrayType(value.type) && rt::IsNumericType(rt::ElementType(value.type))) {
    if (block) {
      data = rt::ArrayElements(block);
      size = static_cast<size_t>(rt::ArrayElementCount(block)) * rt::ElementWidth(rt::ElementType(value.type));
    }
  } else {
    return false;
  }
  out.clear();
  if (!data || size == 0) return true;
  const void* zero = std::memchr(data, 0, size);
  if (zero) size = static_cast<const uint8_t*>(zero) - data;
  out.assign(reinterpret_cast<const char*>(data), size);
  return true;
}

}  // namespace corelib::valuetext
