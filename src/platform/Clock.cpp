#include "platform/Clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace varnel {

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

LocalTime CivilFromMs(int64_t ms) {
  int64_t days = ms / 86400000;
  int64_t rest = ms % 86400000;
  if (rest < 0) {
    rest += 86400000;
    --days;
  }
  const int64_t z = days + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  LocalTime t;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
  t.hour = static_cast<int>(rest / 3600000);
  t.minute = static_cast<int>(rest / 60000 % 60);
  t.second = static_cast<int>(rest / 1000 % 60);
  t.millisecond = static_cast<int>(rest % 1000);
  return t;
}

int64_t MsFromCivil(const LocalTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400000 + t.hour * 3600000LL +
         t.minute * 60000LL + t.second * 1000LL + t.millisecond;
}

SystemClock g_systemClock;
Clock* g_clock = &g_systemClock;

}  // namespace

LocalTime SystemClock::Local() {
  const auto now = std::chrono::system_clock::now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
  const std::time_t secs = static_cast<std::time_t>(ms.count() / 1000);
  std::tm tm{};
  localtime_r(&secs, &tm);
  LocalTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  t.millisecond = static_cast<int>(ms.count() % 1000);
  return t;
}

uint64_t SystemClock::TickMs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

void SystemClock::SleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

VirtualClock::VirtualClock(LocalTime start) : m_epochMs(MsFromCivil(start)) {}

LocalTime VirtualClock::Local() {
  std::lock_guard lock(m_mutex);
  return CivilFromMs(m_epochMs);
}

uint64_t VirtualClock::TickMs() {
  std::lock_guard lock(m_mutex);
  return m_tick;
}

void VirtualClock::SleepMs(uint32_t ms) {
  std::lock_guard lock(m_mutex);
  m_sleeps.push_back(ms);
  m_epochMs += ms;
  m_tick += ms;
}

void VirtualClock::Advance(uint64_t ms) {
  std::lock_guard lock(m_mutex);
  m_epochMs += static_cast<int64_t>(ms);
  m_tick += ms;
}

void VirtualClock::SetLocal(const LocalTime& t) {
  std::lock_guard lock(m_mutex);
  m_epochMs = MsFromCivil(t);
}

std::vector<uint32_t> VirtualClock::Sleeps() const {
  std::lock_guard lock(m_mutex);
  return m_sleeps;
}

void VirtualClock::ClearSleeps() {
  std::lock_guard lock(m_mutex);
  m_sleeps.clear();
}

Clock& GetClock() { return *g_clock; }
void SetClock(Clock* clock) { g_clock = clock ? clock : &g_systemClock; }

}  // namespace varnel
