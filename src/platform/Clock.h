#pragma once
// The one clock of the program. Every protocol pause and every ID made from the local time goes
// through it, so that tests run on a virtual clock and can check the pauses that were taken.
#include <cstdint>
#include <mutex>
#include <vector>

namespace varnel {

struct LocalTime {
  int year = 1970;
  int month = 1;   // 1..12
  int day = 1;     // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Local wall-clock time (logging, IDs made from the time).
  virtual LocalTime Local() = 0;
  // Milliseconds of a monotonic clock (time-outs, "at most once per N seconds" rules).
  virtual uint64_t TickMs() = 0;
  // Pause the calling thread.
  virtual void SleepMs(uint32_t ms) = 0;
};

// Sleeps for real; local time from the system.
class SystemClock final : public Clock {
 public:
  LocalTime Local() override;
  uint64_t TickMs() override;
  void SleepMs(uint32_t ms) override;
};

// Time moves only when someone sleeps or the test advances it. Thread-safe.
class VirtualClock final : public Clock {
 public:
  explicit VirtualClock(LocalTime start = {2026, 1, 1, 12, 0, 0, 0});
  LocalTime Local() override;
  uint64_t TickMs() override;
  void SleepMs(uint32_t ms) override;
  void Advance(uint64_t ms);
  void SetLocal(const LocalTime& t);
  std::vector<uint32_t> Sleeps() const;  // every pause taken, in order
  void ClearSleeps();

 private:
  mutable std::mutex m_mutex;
  int64_t m_epochMs;  // local time as milliseconds since 1970-01-01 00:00 (no time zone)
  uint64_t m_tick = 0;
  std::vector<uint32_t> m_sleeps;
};

// The process-wide clock (a SystemClock unless replaced).
Clock& GetClock();
void SetClock(Clock* clock);  // nullptr restores the system clock

// Replaces the process clock for one scope (tests).
class ScopedClock {
 public:
  explicit ScopedClock(Clock& clock) : m_prev(&GetClock()) { SetClock(&clock); }
  ~ScopedClock() { SetClock(m_prev); }
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  Clock* m_prev;
};

}  // namespace varnel
