#include "platform/UiPort.h"

#include <cstdio>

namespace varnel {

void RecordingUiPort::ShowMessage(std::string_view text, std::string_view caption) {
  std::lock_guard lock(m_mutex);
  m_messages.push_back({UiMessage::Kind::Message, std::string(caption), std::string(text), false});
}

bool RecordingUiPort::AskYesNo(std::string_view text, std::string_view caption) {
  std::lock_guard lock(m_mutex);
  bool answer = m_defaultAnswer;
  if (!m_answers.empty()) {
    answer = m_answers.front();
    m_answers.pop_front();
  }
  m_messages.push_back({UiMessage::Kind::YesNo, std::string(caption), std::string(text), answer});
  return answer;
}

void RecordingUiPort::Progress(int position) {
  std::lock_guard lock(m_mutex);
  m_progress.push_back(position);
}

void RecordingUiPort::QueueAnswer(bool answer) {
  std::lock_guard lock(m_mutex);
  m_answers.push_back(answer);
}

std::vector<UiMessage> RecordingUiPort::Messages() const {
  std::lock_guard lock(m_mutex);
  return m_messages;
}

std::vector<int> RecordingUiPort::ProgressPositions() const {
  std::lock_guard lock(m_mutex);
  return m_progress;
}

void RecordingUiPort::Clear() {
  std::lock_guard lock(m_mutex);
  m_messages.clear();
  m_progress.clear();
  m_answers.clear();
}

void ConsoleUiPort::ShowMessage(std::string_view text, std::string_view caption) {
  RecordingUiPort::ShowMessage(text, caption);
  std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
}

bool ConsoleUiPort::AskYesNo(std::string_view text, std::string_view caption) {
  const bool answer = RecordingUiPort::AskYesNo(text, caption);
  std::fprintf(stderr, "[%.*s] %.*s (%s)\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data(), answer ? "yes" : "no");
  return answer;
}

namespace {
ConsoleUiPort g_consolePort(false);
UiPort* g_port = &g_consolePort;
}  // namespace

UiPort& Ui() { return *g_port; }
void SetUiPort(UiPort* port) { g_port = port ? port : &g_consolePort; }

}  // namespace varnel
