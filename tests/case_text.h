// The text of a staged file in a case table: {repeat N}text{/repeat} stands for the text N times,
// with {n} in it counting from 0, so that a big input is made when the case runs and never stands
// in the table. Shared by the command-line and the differential tables.
#pragma once

#include <stdexcept>
#include <string>

inline std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
  return text;
}

inline std::string expandRepeats(const std::string& text) {
  std::string expanded;
  size_t at = 0;
  for (size_t open; (open = text.find("{repeat ", at)) != std::string::npos;) {
    size_t head = text.find('}', open);
    size_t close = text.find("{/repeat}", head);
    if (head == std::string::npos || close == std::string::npos) throw std::runtime_error("unclosed {repeat}");
    long count = std::stol(text.substr(open + 8, head - open - 8));
    std::string body = text.substr(head + 1, close - head - 1);
    expanded += text.substr(at, open - at);
    for (long n = 0; n < count; n++) expanded += replaceAll(body, "{n}", std::to_string(n));
    at = close + 9;
  }
  return expanded + text.substr(at);
}
