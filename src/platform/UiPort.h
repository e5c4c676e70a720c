#pragma once
// What core code needs from a user interface: message boxes with a caption, yes/no questions,
// progress positions. The GUI shows its skinned boxes; the CLI prints "[Caption] text" to stderr
// and answers from --yes/--no; tests record the calls.
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

struct UiMessage {
  enum class Kind { Message, YesNo };
  Kind kind = Kind::Message;
  std::string caption;
  std::string text;
  bool answer = false;  // the answer given to a yes/no question
};

class UiPort {
 public:
  virtual ~UiPort() = default;
  virtual void ShowMessage(std::string_view text, std::string_view caption) = 0;
  virtual bool AskYesNo(std::string_view text, std::string_view caption) = 0;
  virtual void Progress(int /*position*/) {}
};

// Records every call; yes/no questions take queued answers, then the default answer.
class RecordingUiPort : public UiPort {
 public:
  explicit RecordingUiPort(bool defaultAnswer = false) : m_defaultAnswer(defaultAnswer) {}
  void ShowMessage(std::string_view text, std::string_view caption) override;
  bool AskYesNo(std::string_view text, std::string_view caption) override;
  void Progress(int position) override;
  void QueueAnswer(bool answer);
  std::vector<UiMessage> Messages() const;
  std::vector<int> ProgressPositions() const;
  void Clear();

 protected:
  mutable std::mutex m_mutex;
  bool m_defaultAnswer;
  std::deque<bool> m_answers;
  std::vector<UiMessage> m_messages;
  std::vector<int> m_progress;
};

// Prints "[Caption] text" to stderr (and records, for commands that report their messages);
// questions are answered with the fixed answer of --yes / --no.
class ConsoleUiPort final : public RecordingUiPort {
 public:
  explicit ConsoleUiPort(bool answer) : RecordingUiPort(answer) {}
  void ShowMessage(std::string_view text, std::string_view caption) override;
  bool AskYesNo(std::string_view text, std::string_view caption) override;
};

// The process-wide port (a console port answering "no" unless replaced).
UiPort& Ui();
void SetUiPort(UiPort* port);  // nullptr restores the default

class ScopedUiPort {
 public:
  explicit ScopedUiPort(UiPort& port) : m_prev(&Ui()) { SetUiPort(&port); }
  ~ScopedUiPort() { SetUiPort(m_prev); }
  ScopedUiPort(const ScopedUiPort&) = delete;
  ScopedUiPort& operator=(const ScopedUiPort&) = delete;

 private:
  UiPort* m_prev;
};

}  // namespace varnel
