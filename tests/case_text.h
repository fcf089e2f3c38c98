// The text of a staged file in a case table: {repeat N}text{/repeat} stands for the text N times,
// with {n} in it counting from 0, so that a big input is made when the case runs and never stands
// in the table; {each NAME: a,b,c}text{/each} stands for the text once per value, with {NAME} in
// it replaced. Shared by the command-line and the differential tables.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

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

// The values of a comma-separated list, each without the blanks around it; none for a blank list.
inline std::vector<std::string> listValues(const std::string& list) {
  std::vector<std::string> values;
  if (list.find_first_not_of(' ') == std::string::npos) return values;
  for (size_t at = 0;;) {
    size_t comma = list.find(',', at);
    std::string value = list.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
    size_t first = value.find_first_not_of(' ');
    values.push_back(first == std::string::npos ? "" : value.substr(first, value.find_last_not_of(' ') - first + 1));
    if (comma == std::string::npos) return values;
    at = comma + 1;
  }
}

// {each NAME: values}text{/each}, nested to any depth. A tag that stands alone on its line takes
// its line break with it, so that the table may put each tag on a line of its own.
inline std::string expandEach(const std::string& text) {
  const std::string openTag = "{each ", closeTag = "{/each}";
  std::string expanded;
  size_t at = 0;
  for (size_t open; (open = text.find(openTag, at)) != std::string::npos;) {
    size_t head = text.find('}', open);
    size_t colon = text.find(':', open);
    if (head == std::string::npos || colon == std::string::npos || colon > head) throw std::runtime_error("bad {each}");
    // The matching close: every {each between counts one more level.
    size_t close = head;
    for (int depth = 1; depth > 0;) {
      size_t nextOpen = text.find(openTag, close + 1);
      close = text.find(closeTag, close + 1);
      if (close == std::string::npos) throw std::runtime_error("unclosed {each}");
      if (nextOpen < close) {
        depth++;
        close = nextOpen;
      } else {
        depth--;
      }
    }
    auto aloneOnLine = [&](size_t begin, size_t end) {
      return (begin == 0 || text[begin - 1] == '\n') && end < text.size() && text[end] == '\n';
    };
    size_t bodyBegin = aloneOnLine(open, head + 1) ? head + 2 : head + 1;
    size_t after = aloneOnLine(close, close + closeTag.size()) ? close + closeTag.size() + 1 : close + closeTag.size();
    std::string name = "{" + text.substr(open + openTag.size(), colon - open - openTag.size()) + "}";
    std::string body = text.substr(bodyBegin, close - bodyBegin);
    expanded += text.substr(at, open - at);
    for (const std::string& value : listValues(text.substr(colon + 1, head - colon - 1)))
      expanded += expandEach(replaceAll(body, name, value));
    at = after;
  }
  return expanded + text.substr(at);
}

// A row of a case that stands for several: "NAME=value; NAME=value", each {NAME} of the text
// replaced by its value.
inline std::string substituteRow(std::string text, const std::string& row) {
  for (size_t at = 0; at < row.size();) {
    size_t end = row.find("; ", at);
    std::string assignment = row.substr(at, end == std::string::npos ? std::string::npos : end - at);
    size_t equals = assignment.find('=');
    if (equals == std::string::npos) throw std::runtime_error("a row without NAME=value: " + row);
    text = replaceAll(text, "{" + assignment.substr(0, equals) + "}", assignment.substr(equals + 1));
    at = end == std::string::npos ? row.size() : end + 2;
  }
  return text;
}
