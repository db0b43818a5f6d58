#include "runtime/console.h"

#include <nlohmann/json.hpp>

#include "runtime/bounded_line.h"
#include "runtime/formatted.h"
#include "runtime/output_format.h"

namespace {

using Json = nlohmann::ordered_json;

void WriteAll(FILE* stream, std::string_view text) {
  // The library runs on one thread, so the stream's lock is not needed.
  fwrite_unlocked(text.data(), 1, text.size(), stream);
}

std::string_view WithoutLineEnd(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  return text;
}

// {"type":type,"text":text} and its line end, without building a document for every line.
std::string LineDocument(const char* type, std::string_view text) {
  std::string document = "{\"type\":\"";
  document.append(type).append("\",\"text\":");
  document += Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
  return document.append("}\n");
}

// Appends text to pending and writes each line it completes as a document of type.
void WriteLines(FILE* stream, std::string& pending, std::string_view text, const char* type) {
  for (size_t end; (end = text.find('\n')) != std::string_view::npos; text.remove_prefix(end + 1)) {
    pending.append(text.substr(0, end));
    WriteAll(stream, LineDocument(type, pending));
    pending.clear();
  }
  pending.append(text);
}

void WritePending(FILE* stream, std::string& pending, const char* type) {
  if (pending.empty()) return;
  WriteAll(stream, LineDocument(type, pending));
  pending.clear();
}

}  // namespace

void Console::Print(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  if (JsonOutput()) {
    JsonText(FormattedV(format, arguments));
  } else {
    std::vfprintf(output, format, arguments);
  }
  va_end(arguments);
}

void Console::Write(std::string_view text) {
  if (JsonOutput()) {
    JsonText(text);
  } else {
    WriteAll(output, text);
  }
}

void Console::JsonText(std::string_view text) { WriteLines(output, pendingText, text, "text"); }

void Console::JsonNote(std::string_view text) { WriteLines(error, pendingNote, text, "note"); }

void Console::FlushText() {
  if (JsonOutput()) WritePending(output, pendingText, "text");
  std::fflush(output);
}

void Console::FlushOutput() {
  FlushText();
  if (JsonOutput()) WritePending(error, pendingNote, "note");
}

void Console::ErrorV(const char* format, va_list arguments) {
  ++errorWrites;
  FlushText();
  if (JsonOutput()) {
    JsonNote(FormattedV(format, arguments));
  } else {
    std::vfprintf(error, format, arguments);
  }
}

void Console::Error(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  ErrorV(format, arguments);
  va_end(arguments);
}

void Console::Failure(std::string_view script, int line, std::optional<int> code,
                      std::string_view message) {
  ++errorWrites;
  FlushText();
  if (!JsonOutput()) {
    std::string text;
    if (!script.empty())
      text.append(script).append(line > 0 ? ":" + std::to_string(line) : "").append(": ");
    WriteAll(error, text.append(message));
    return;
  }
  WritePending(error, pendingNote, "note");
  Json document{{"type", "error"}};
  document["script"] = script.empty() ? Json() : Json(script);
  document["line"] = line > 0 ? Json(line) : Json();
  document["code"] = code ? Json(*code) : Json();
  document["message"] = WithoutLineEnd(message);
  WriteAll(error, JsonLine(document));
}

void Console::Message(std::string_view script, int line, std::string_view text) {
  if (!JsonOutput()) {
    WriteAll(output, text);
    return;
  }
  WritePending(output, pendingText, "text");
  WriteAll(output, JsonLine(Json{{"type", "message"},
                                 {"script", script},
                                 {"line", line},
                                 {"text", WithoutLineEnd(text)}}));
}

void Console::Document(std::string_view document) {
  if (JsonOutput()) WritePending(output, pendingText, "text");
  WriteAll(output, document);
}

bool Console::ReadLine(std::string& line) {
  FlushOutput();
  // Of a line longer than the bound, the rest is left for the next read.
  if (ReadBoundedLine(input, line) == LineRead::kEnd) return false;
  if (line.back() == '\n') line.pop_back();
  return true;
}
