#include "ConfigText.h"

#include <windows.h>

static bool IsHighSurrogate(unsigned c) { return c >= 0xD800 && c <= 0xDBFF; }
static bool IsLowSurrogate(unsigned c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Controls other than tab, LF and CR, lone surrogates, U+FFFE and U+FFFF.
static bool IsXmlChar(unsigned c) {
  if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
  return !IsHighSurrogate(c) && !IsLowSurrogate(c) && c != 0xFFFE && c != 0xFFFF;
}

static void AppendUtf8(std::string* out, unsigned c) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string XmlText(const std::string& text, unsigned* dropped) {
  std::string out;
  if (text.empty()) return out;
  // The reader keeps lengths within int. Bytes that the code page does not map come out as
  // its default character.
  int count = static_cast<int>(text.size());
  int size = MultiByteToWideChar(CP_ACP, 0, text.data(), count, nullptr, 0);
  if (size <= 0) return out;
  std::wstring wide(size, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), count, &wide[0], size);

  out.reserve(text.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    unsigned c = static_cast<unsigned short>(wide[i]);
    switch (c) {
      case '"': out += "&quot;"; continue;
      case '&': out += "&amp;"; continue;
      case '<': out += "&lt;"; continue;
      case '>': out += "&gt;"; continue;
    }
    if (IsHighSurrogate(c) && i + 1 < wide.size() &&
        IsLowSurrogate(static_cast<unsigned short>(wide[i + 1]))) {
      unsigned low = static_cast<unsigned short>(wide[++i]);
      AppendUtf8(&out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
    } else if (IsXmlChar(c)) {
      AppendUtf8(&out, c);
    } else {
      ++*dropped;
    }
  }
  return out;
}

ExecuteParts SplitExecuteData(const std::string& data) {
  ExecuteParts parts;
  std::string* fields[] = {&parts.command, &parts.parameter, &parts.dir};
  size_t start = 0;
  for (std::string* field : fields) {
    size_t end = data.find('?', start);
    field->assign(data, start, end == std::string::npos ? std::string::npos : end - start);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return parts;
}
