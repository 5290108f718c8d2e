#include "OldBindingsFile.h"

int OldBindingsFile::Get() {
  int c = getc(m_file);
  if (c == EOF) return EOF;
  ++m_rawOffset;
  if (c != '\r') return c;
  // A lone CR stays a CR, as in text mode; only the pair shrinks.
  int next = getc(m_file);
  if (next == '\n') {
    ++m_rawOffset;
    return '\n';
  }
  if (next != EOF) ungetc(next, m_file);
  return '\r';
}

uint32_t OldBindingsFile::Read(std::string* text, uint32_t count) {
  uint32_t done = 0;
  // In pieces, so that a length the file cannot back costs no more memory than the file.
  char piece[4096];
  while (done < count) {
    uint32_t n = 0;
    uint32_t want = count - done < sizeof piece ? count - done : sizeof piece;
    int c = 0;
    while (n < want && (c = Get()) != EOF) piece[n++] = static_cast<char>(c);
    text->append(piece, n);
    done += n;
    if (c == EOF) break;
  }
  return done;
}

static void EndAtNul(std::string* text) {
  size_t nul = text->find('\0');
  if (nul != std::string::npos) text->resize(nul);
}

ReadResult ReadRecord(OldBindingsFile& file, OldRecord* record) {
  *record = OldRecord();
  record->offset = file.RawOffset();
  int length = file.Get();
  if (length == EOF) return ReadResult::kEnd;
  if (length == kEndOfFileMark) return ReadResult::kEndMark;
  record->nameLength = static_cast<unsigned>(length);

  std::string head;
  const uint32_t kHeadRest = 80 + 1 + 4;
  if (file.Read(&head, kHeadRest) != kHeadRest) return ReadResult::kCutShort;
  unsigned nameLength = record->nameLength < kMaxNameLength ? record->nameLength : kMaxNameLength;
  record->name.assign(head, 0, nameLength);
  record->type = static_cast<unsigned char>(head[80]);
  for (int i = 3; i >= 0; --i) {
    record->dataLength = (record->dataLength << 8) | static_cast<unsigned char>(head[81 + i]);
  }
  if (record->dataLength > kMaxDataLength) return ReadResult::kTooLarge;
  if (file.Read(&record->data, record->dataLength) != record->dataLength) {
    return ReadResult::kTooLong;
  }
  // The old tool kept both as C strings.
  EndAtNul(&record->name);
  EndAtNul(&record->data);
  return ReadResult::kRecord;
}
