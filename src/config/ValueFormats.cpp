#include "config/ValueFormats.h"

#include <cctype>

namespace varnel {

namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// One clean number of the base; nullopt for anything else.
std::optional<int32_t> CleanNumber(std::string_view token, int base, bool allowSign) {
  token = TrimBlanks(token);
  bool negative = false;
  if (allowSign && !token.empty() && (token.front() == '-' || token.front() == '+')) {
    negative = token.front() == '-';
    token.remove_prefix(1);
  }
  if (token.empty()) return std::nullopt;
  uint32_t value = 0;
  for (char c : token) {
    const int d = DigitValue(c);
    if (d >= base) return std::nullopt;
    value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(d);
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

std::optional<std::vector<int32_t>> ExactDecimals(std::string_view text, size_t count) {
  std::vector<int32_t> out;
  size_t pos = 0;
  while (true) {
    const size_t comma = text.find(',', pos);
    const auto token = text.substr(pos, comma == std::string_view::npos ? text.npos : comma - pos);
    const auto n = CleanNumber(token, 10, true);
    if (!n) return std::nullopt;
    out.push_back(*n);
    if (out.size() > count) return std::nullopt;
    if (comma == std::string_view::npos) break;
    pos = comma + 1;
  }
  if (out.size() != count) return std::nullopt;
  return out;
}

}  // namespace

std::vector<int32_t> ParseNumberList(std::string_view text, int base, size_t maxCount,
                                     bool allowSign) {
  std::vector<int32_t> out;
  if (TrimBlanks(text).empty()) return out;
  size_t pos = 0;
  while (out.size() < maxCount) {
    const size_t comma = text.find(',', pos);
    const auto token = text.substr(pos, comma == std::string_view::npos ? text.npos : comma - pos);
    const auto n = CleanNumber(token, base, allowSign);
    if (!n) break;
    out.push_back(*n);
    if (comma == std::string_view::npos) break;
    pos = comma + 1;
  }
  return out;
}

std::optional<COLORREF> ParseColour(std::string_view text) {
  const auto v = ParseNumberList(text, 10, 3);
  if (v.size() < 3) return std::nullopt;
  return MakeRgb(static_cast<uint32_t>(v[0]), static_cast<uint32_t>(v[1]),
                 static_cast<uint32_t>(v[2]));
}

ColourList ParseColourList(std::string_view text, size_t maxEntries) {
  ColourList list;
  const size_t maxNumbers = maxEntries * 3 < 30 ? maxEntries * 3 : 30;
  const auto v = ParseNumberList(text, 10, maxNumbers);
  for (size_t i = 0; i + 2 < v.size() && list.colours.size() < maxEntries; i += 3) {
    const COLORREF c = MakeRgb(static_cast<uint32_t>(v[i]), static_cast<uint32_t>(v[i + 1]),
                               static_cast<uint32_t>(v[i + 2]));
    list.colours.push_back(c);
    if (v[i] == 0 && v[i + 1] == 0 && v[i + 2] == 0) break;
    ++list.count;
  }
  return list;
}

std::optional<Point> ParsePoint(std::string_view text) {
  const auto v = ExactDecimals(text, 2);
  if (!v) return std::nullopt;
  return Point{(*v)[0], (*v)[1]};
}

std::optional<Rect> ParseRect(std::string_view text) {
  const auto v = ExactDecimals(text, 4);
  if (!v) return std::nullopt;
  return Rect{(*v)[0], (*v)[1], (*v)[2], (*v)[3]};
}

}  // namespace varnel
