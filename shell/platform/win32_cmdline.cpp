#include "shell/platform/win32_cmdline.h"

namespace nyarumi::win32 {
namespace {

bool IsBlank(char AChar) {
  return AChar == ' ' || AChar == '\t';
}

} // namespace

std::string QuoteArgument(std::string_view AArgument) {
  const bool plain =
      !AArgument.empty() && AArgument.find_first_of(" \t\n\v\"") == std::string_view::npos;
  if (plain) {
    return std::string(AArgument);
  }
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : AArgument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote itself escaped; elsewhere they are
    // literal.
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  // Before the closing quote they are doubled too, or they would escape it.
  quoted.append(backslashes * 2, '\\');
  quoted += '"';
  return quoted;
}

std::string JoinCommandLine(const std::vector<std::string>& AArgv) {
  std::string line;
  for (const std::string& argument : AArgv) {
    if (!line.empty()) {
      line += ' ';
    }
    line += QuoteArgument(argument);
  }
  return line;
}

std::vector<std::string> SplitCommandLine(std::string_view ACommand) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < ACommand.size() && IsBlank(ACommand[i])) {
    ++i;
  }
  if (i == ACommand.size()) {
    return words;
  }
  // The program's name: quotes group, and nothing is escaped (paths end in backslashes).
  std::string program;
  bool quoted = false;
  for (; i < ACommand.size(); ++i) {
    const char c = ACommand[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (IsBlank(c) && !quoted) {
      break;
    } else {
      program += c;
    }
  }
  words.push_back(std::move(program));
  std::string word;
  bool inWord = false;
  quoted = false;
  while (i < ACommand.size()) {
    const char c = ACommand[i];
    if (IsBlank(c) && !quoted) {
      if (inWord) {
        words.push_back(std::move(word));
        word.clear();
        inWord = false;
      }
      ++i;
      continue;
    }
    inWord = true;
    if (c == '\\') {
      std::size_t count = 0;
      while (i < ACommand.size() && ACommand[i] == '\\') {
        ++count;
        ++i;
      }
      if (i < ACommand.size() && ACommand[i] == '"') {
        word.append(count / 2, '\\');
        if (count % 2 == 1) {
          word += '"'; // an escaped quote
          ++i;
        }
      } else {
        word.append(count, '\\');
      }
      continue;
    }
    if (c == '"') {
      // Two quotes in a row inside quotes stand for one literal quote.
      if (quoted && i + 1 < ACommand.size() && ACommand[i + 1] == '"') {
        word += '"';
        i += 2;
        continue;
      }
      quoted = !quoted;
      ++i;
      continue;
    }
    word += c;
    ++i;
  }
  if (inWord) {
    words.push_back(std::move(word));
  }
  return words;
}

} // namespace nyarumi::win32
