#include "FormattedXml.h"

#include <libxml/chvalid.h>
#include <libxml/globals.h>
#include <libxml/parserInternals.h>
#include <string.h>

namespace {

const int kMaxIndentLevel = 30;  // libxml2 indents no deeper than 60 spaces
const int kMaxDepth = 1000;      // deeper trees go to libxml2

void Indent(std::string* out, int level) {
  out->append(2 * static_cast<size_t>(level < kMaxIndentLevel ? level : kMaxIndentLevel), ' ');
}

void HexReference(std::string* out, int value) {
  char digits[12];
  int n = 0;
  for (; value > 0; value >>= 4) digits[n++] = "0123456789ABCDEF"[value & 0xF];
  out->append("&#x", 3);
  while (n > 0) out->push_back(digits[--n]);
  out->push_back(';');
}

// The character a UTF-8 sequence of length bytes starting at p stands for, decoded as
// libxml2 decodes it (continuation bytes are not checked).
int Decode(const unsigned char* p, int length) {
  static const unsigned char kLeadMask[] = {0, 0, 0x1F, 0x0F, 0x07};
  int value = p[0] & kLeadMask[length];
  for (int i = 1; i < length; ++i) value = (value << 6) | (p[i] & 0x3F);
  return value;
}

// Element content. libxml2 drops text at a byte it cannot write, depending on how its
// output buffer happens to be filled: such text is not written here.
bool AppendText(std::string* out, const xmlChar* text) {
  const unsigned char* p = text;
  for (;;) {
    const unsigned char* run = p;
    while ((*p >= 0x20 && *p < 0x80 && *p != '<' && *p != '>' && *p != '&') || *p == '\n' || *p == '\t')
      ++p;
    out->append(reinterpret_cast<const char*>(run), static_cast<size_t>(p - run));
    unsigned char c = *p;
    if (c == '\0') return true;
    if (c == '<') {
      out->append("&lt;", 4);
    } else if (c == '>') {
      out->append("&gt;", 4);
    } else if (c == '&') {
      out->append("&amp;", 5);
    } else if (c == '\r') {
      out->append("&#xD;", 5);
    } else if (c >= 0xC0 && c < 0xF8) {
      int length = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
      for (int i = 1; i < length; ++i)
        if (p[i] == '\0') return false;
      int value = Decode(p, length);
      if (!xmlIsCharQ(value)) return false;
      HexReference(out, value);
      p += length;
      continue;
    } else {
      return false;  // a stray continuation byte, a lead byte beyond 4 bytes, a control character
    }
    ++p;
  }
}

// An attribute's text, as libxml2 escapes it for a document without a declared encoding.
bool AppendAttributeText(std::string* out, const xmlChar* text) {
  const unsigned char* p = text;
  for (;;) {
    const unsigned char* run = p;
    while (*p != '\0' && *p != '\n' && *p != '\r' && *p != '\t' && *p != '"' && *p != '<' &&
           *p != '>' && *p != '&' && (*p < 0x80 || p[1] == '\0'))
      ++p;
    out->append(reinterpret_cast<const char*>(run), static_cast<size_t>(p - run));
    unsigned char c = *p;
    switch (c) {
      case '\0': return true;
      case '\n': out->append("&#10;", 5); break;
      case '\r': out->append("&#13;", 5); break;
      case '\t': out->append("&#9;", 4); break;
      case '"': out->append("&quot;", 6); break;
      case '<': out->append("&lt;", 4); break;
      case '>': out->append("&gt;", 4); break;
      case '&': out->append("&amp;", 5); break;
      default: {
        // Beyond ASCII with at least one byte after it. libxml2 writes a malformed
        // sequence byte by byte and reports it: left to libxml2.
        int length = c < 0xC0 ? 0 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF8 ? 4 : 0;
        for (int i = 2; i < length; ++i)
          if (p[i] == '\0') length = 0;
        if (length == 0) return false;
        int value = Decode(p, length);
        if (!xmlIsCharQ(value)) return false;
        HexReference(out, value);
        p += length;
        continue;
      }
    }
    ++p;
  }
}

bool AppendNode(std::string* out, const xmlNode* node, int level, bool format, bool top, int depth) {
  if (depth > kMaxDepth) return false;
  switch (node->type) {
    case XML_ELEMENT_NODE: {
      if (node->ns != nullptr || node->nsDef != nullptr) return false;
      if (!top && format) Indent(out, level);
      const char* name = reinterpret_cast<const char*>(node->name);
      out->push_back('<');
      out->append(name);
      for (const xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) {
        if (attr->ns != nullptr) return false;
        out->push_back(' ');
        out->append(reinterpret_cast<const char*>(attr->name));
        out->append("=\"", 2);
        for (const xmlNode* part = attr->children; part != nullptr; part = part->next)
          if (part->type != XML_TEXT_NODE ||
              (part->content != nullptr && !AppendAttributeText(out, part->content)))
            return false;
        out->push_back('"');
      }
      if (node->children == nullptr) {
        out->append("/>", 2);
        return true;
      }
      // Like libxml2: text among the children turns formatting off inside this element.
      bool inner = format;
      for (const xmlNode* child = node->children; inner && child != nullptr; child = child->next)
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE ||
            child->type == XML_ENTITY_REF_NODE)
          inner = false;
      out->push_back('>');
      if (inner) out->push_back('\n');
      for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->parent != node || !AppendNode(out, child, level + 1, inner, false, depth + 1))
          return false;
        if (inner) out->push_back('\n');
      }
      if (inner) Indent(out, level);
      out->append("</", 2);
      out->append(name);
      out->push_back('>');
      return true;
    }
    case XML_TEXT_NODE:
      if (node->content == nullptr) return true;
      if (node->name == xmlStringTextNoenc) {
        out->append(reinterpret_cast<const char*>(node->content));
        return true;
      }
      return AppendText(out, node->content);
    case XML_COMMENT_NODE:
      if (!top && format) Indent(out, level);
      if (node->content != nullptr) {
        out->append("<!--", 4);
        out->append(reinterpret_cast<const char*>(node->content));
        out->append("-->", 3);
      }
      return true;
    default:
      return false;
  }
}

}  // namespace

bool FormattingIsDefault() {
  return xmlIndentTreeOutput == 1 && xmlSaveNoEmptyTags == 0 && xmlTreeIndentString != nullptr &&
         strcmp(xmlTreeIndentString, "  ") == 0;
}

bool AppendFormatted(std::string* out, const xmlNode* node, int level) {
  return AppendNode(out, node, level, true, true, 0);
}
