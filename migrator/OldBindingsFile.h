// Reader of the old binary bindings file: 86-byte record heads (name length, 80-byte name
// field, type, 32-bit little-endian data length) each followed by its data.
#ifndef TAMBREL_OLDBINDINGSFILE_H
#define TAMBREL_OLDBINDINGSFILE_H

#include <stdint.h>
#include <stdio.h>

#include <string>

// The file as the old tool's text-mode reads saw it: a CR LF pair comes in as one LF, so
// every length and offset of the format counts the same bytes as then. The file itself is
// opened in binary mode, so a Ctrl+Z is an ordinary byte here.
class OldBindingsFile {
 public:
  explicit OldBindingsFile(FILE* file) : m_file(file) {}
  // The next byte, or EOF.
  int Get();
  // Appends up to count bytes to the text; returns how many came before the end.
  uint32_t Read(std::string* text, uint32_t count);
  // Bytes of the file itself consumed so far, for messages.
  uint64_t RawOffset() const { return m_rawOffset; }

 private:
  FILE* m_file;
  uint64_t m_rawOffset = 0;
};

enum { kTypeExecute = 0, kTypeMacro = 1, kTypeNotConverted = 152 };
// The name field holds 80 bytes and the old tool kept a terminator inside it.
const unsigned kMaxNameLength = 79;
const int kEndOfFileMark = 0x1A;
// Escaping may widen the data six times, and the code page functions count in int.
const uint32_t kMaxDataLength =
    static_cast<uint32_t>((SIZE_MAX - 1) / 6 < INT32_MAX ? (SIZE_MAX - 1) / 6 : INT32_MAX);

struct OldRecord {
  uint64_t offset = 0;  // in the file, where the record starts
  unsigned nameLength = 0;  // as stored, before clamping
  std::string name;         // clamped to kMaxNameLength, ended at its first NUL
  unsigned type = 0;
  uint32_t dataLength = 0;
  std::string data;  // ended at its first NUL
};

enum class ReadResult {
  kRecord,
  kEnd,      // the file ended where a record would start
  kEndMark,  // a Ctrl+Z stood where a record would start
  kCutShort, // the file ended inside the record's head
  kTooLong,  // the data length runs past the end of the file
  kTooLarge, // the data length is above kMaxDataLength
};

ReadResult ReadRecord(OldBindingsFile& file, OldRecord* record);

#endif
