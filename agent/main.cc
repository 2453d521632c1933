// kxagent: the host agent program. See `kxagent --help` and README.md.

#include <readline/history.h>
#include <readline/readline.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "agent.h"
#include "completion.h"
#include "kxrt/console.h"

namespace {

// The candidates of the completion under way, handed to readline one by one.
std::vector<std::string> g_candidates;

char* NextCandidate(const char* /*text*/, int state) {
  static size_t next = 0;
  if (state == 0) next = 0;
  if (next >= g_candidates.size()) return nullptr;
  return strdup(g_candidates[next++].c_str());
}

char** Complete(const char* text, int /*start*/, int end) {
  rl_attempted_completion_over = 1;  // never fall back to file names
  g_candidates = kxagent::CompleteLastWord(std::string(rl_line_buffer, static_cast<size_t>(end)),
                                           kxrt::Console::Instance());
  // "name=" waits for its value: no blank after it.
  bool allAssignments = !g_candidates.empty();
  for (const std::string& c : g_candidates) allAssignments &= !c.empty() && c.back() == '=';
  rl_completion_append_character = allAssignments ? '\0' : ' ';
  return rl_completion_matches(text, NextCandidate);
}

// Reads lines with editing, history and completion until end of input or "quit".
void RunInteractive(kxagent::Agent& agent) {
  rl_readline_name = "kxagent";
  rl_attempted_completion_function = Complete;
  // Words are split at blanks only, so "name=val" completes as one word.
  rl_basic_word_break_characters = const_cast<char*>(" \t");
  rl_completer_word_break_characters = const_cast<char*>(" \t");
  while (!agent.quit()) {
    char* line = readline("kxagent> ");
    if (line == nullptr) {
      std::putchar('\n');
      break;
    }
    if (line[0] != '\0') add_history(line);
    agent.RunLine(line);
    std::free(line);
  }
}

// Runs standard input line by line; returns the number of lines that could not be run.
int RunStandardInput(kxagent::Agent& agent) {
  int failures = 0;
  std::string line;
  while (!agent.quit() && std::getline(std::cin, line)) {
    if (!agent.RunLine(line)) ++failures;
  }
  return failures;
}

}  // namespace

int main(int argc, char** argv) {
  kxagent::Options options;
  std::string error;
  if (!kxagent::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), &options, &error)) {
    std::fprintf(stderr, "kxagent: %s\nTry 'kxagent --help'.\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(kxagent::UsageText(), stdout);
    return 0;
  }

  kxagent::Agent agent;
  if (!agent.Start(options, stdout, &error)) {
    std::fprintf(stderr, "kxagent: %s\n", error.c_str());
    return 1;
  }

  int failures = 0;
  if (!options.inputs.empty()) {
    for (const kxagent::Input& input : options.inputs) {
      if (agent.quit()) break;
      bool ran = input.isScript ? agent.RunScript(input.text) : agent.RunLine(input.text);
      if (!ran) ++failures;
    }
  } else if (isatty(STDIN_FILENO)) {
    RunInteractive(agent);
  } else {
    failures = RunStandardInput(agent);
  }
  std::fflush(stdout);
  return failures == 0 ? 0 : 1;
}
