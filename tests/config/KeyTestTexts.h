#pragma once
// Language texts for the key tests: every "tc_x" key reads "x" unless a test sets or empties it.
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "config/KeyNames.h"

namespace varnel::test {

class KeyTexts {
 public:
  KeyTexts()
      : m_scope([this](std::string_view key) -> std::optional<std::string> {
          if (auto it = m_set.find(std::string(key)); it != m_set.end()) return it->second;
          if (key.starts_with("tc_")) return std::string(key.substr(3));
          return std::nullopt;
        }) {}
  void Set(const std::string& key, const std::string& text) { m_set[key] = text; }
  void Empty(const std::string& key) { m_set[key] = ""; }

 private:
  std::map<std::string, std::string> m_set;
  ScopedTextSource m_scope;
};

}  // namespace varnel::test
