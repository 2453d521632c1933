// The runtime's log. KXLog goes to the current sink: standard error by default.

#ifndef KXRT_LOG_H_
#define KXRT_LOG_H_

#include <functional>
#include <string>

namespace kxrt {

using LogSink = std::function<void(int level, const std::string& text)>;

// Replaces the sink; an empty function restores standard error.
void SetLogSink(LogSink sink);
// Lines with a level above this are dropped (default 3).
void SetLogLevel(int level);
int LogLevel();
// Logs text through the current sink when level passes the filter (what KXLog does).
void Log(int level, const std::string& text);

// Collects log lines while it lives (tests): restores the previous sink when destroyed.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
  // Every text logged so far, concatenated; Take() also clears it.
  const std::string& Text() const { return text_; }
  std::string Take();

 private:
  std::string text_;
  LogSink previous_;
};

}  // namespace kxrt

#endif  // KXRT_LOG_H_
