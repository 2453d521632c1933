// The runtime's log: one replaceable sink and a level filter. Texts reach the sink unchanged;
// only the default sink adds the line feed that a text may lack, so that two messages never
// share a line on standard error.

#include "kxrt/log.h"

#include <stdio.h>

#include <utility>

#include "kx_host.h"

namespace kxrt {
namespace {

constexpr int kDefaultLogLevel = 3;

struct LogState {
  LogSink sink;  // empty: standard error
  int level = kDefaultLogLevel;
};

LogState& State() {
  static LogState* state = new LogState();  // never destroyed: logging works during exit
  return *state;
}

void WriteToStandardError(const std::string& text) {
  fwrite(text.data(), 1, text.size(), stderr);
  if (text.empty() || text.back() != '\n') fputc('\n', stderr);
  fflush(stderr);
}

}  // namespace

void SetLogSink(LogSink sink) {
  State().sink = std::move(sink);
}

void SetLogLevel(int level) {
  State().level = level;
}

int LogLevel() {
  return State().level;
}

void Log(int level, const std::string& text) {
  LogState& state = State();
  if (level > state.level) return;
  if (state.sink) {
    state.sink(level, text);
  } else {
    WriteToStandardError(text);
  }
}

LogCapture::LogCapture() : previous_(State().sink) {
  SetLogSink([this](int, const std::string& text) { text_ += text; });
}

LogCapture::~LogCapture() {
  SetLogSink(std::move(previous_));
}

std::string LogCapture::Take() {
  std::string taken;
  taken.swap(text_);
  return taken;
}

}  // namespace kxrt

void KXLog(int level, const char* text) {
  if (text == nullptr) return;
  kxrt::Log(level, text);
}
