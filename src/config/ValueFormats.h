#pragma once
// The value formats of the configuration files: number lists, colours, colour lists, points and
// rectangles, each read from the text of one key.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace varnel {

using COLORREF = uint32_t;  // red in the low byte, then green, then blue

constexpr COLORREF MakeRgb(uint32_t r, uint32_t g, uint32_t b) {
  return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
constexpr uint8_t RedOf(COLORREF c) { return c & 0xFF; }
constexpr uint8_t GreenOf(COLORREF c) { return (c >> 8) & 0xFF; }
constexpr uint8_t BlueOf(COLORREF c) { return (c >> 16) & 0xFF; }

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Comma-separated numbers parsed one by one (blanks around each number allowed); parsing stops at
// the first token that is not a clean number in the base (a sign only when allowSign), or after
// maxCount numbers. Values wrap to 32 bits.
std::vector<int32_t> ParseNumberList(std::string_view text, int base, size_t maxCount,
                                     bool allowSign = false);

// "r,g,b" → COLORREF; nullopt when the text does not start with three numbers.
std::optional<COLORREF> ParseColour(std::string_view text);

// Up to maxEntries colours from up to 3 × maxEntries numbers (at most 30 are read). The list ends
// after the first all-zero triple, which is stored but not counted. `count` is the number counted.
struct ColourList {
  std::vector<COLORREF> colours;  // what was stored, in order
  size_t count = 0;
};
ColourList ParseColourList(std::string_view text, size_t maxEntries);

// Exactly two / four clean decimal numbers (signs allowed), else nullopt.
std::optional<Point> ParsePoint(std::string_view text);
std::optional<Rect> ParseRect(std::string_view text);

}  // namespace varnel
