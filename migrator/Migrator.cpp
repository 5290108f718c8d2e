#include "Migrator.h"

#include <inttypes.h>
#include <stdio.h>

#include "ConfigText.h"
#include "OldBindingsFile.h"

namespace {

const char kStartText[] =
    "<?xml version=\"1.0\"?>\n<tambrel version=\"2.0\">\n  <options>\n  </options>\n"
    "  <plugins>\n  </plugins>\n  <actions>\n";
const char kEndText[] = "  </actions>\n</tambrel>";

// The built-in plugins that took over the two kinds of binding, by record type.
const char* const kActionGuids[] = {
    "{CC0F56FA-93FA-49E0-B66F-167B15808C3E}",  // execute-file action
    "{92DF9468-C0AE-4198-91C8-53296E9EA06E}",  // keyboard macro action
};

void WriteAction(const OldRecord& record, unsigned number, const char* path, FILE* out, FILE* err) {
  if (record.type == kTypeNotConverted) return;
  if (record.name.find("Settings and Parameters") != std::string::npos) return;
  if (record.type != kTypeExecute && record.type != kTypeMacro) {
    fprintf(err, "migrator: %s: record %u at byte %" PRIu64 " has unknown type %u; skipped\n",
            path, number, record.offset, record.type);
    return;
  }
  unsigned dropped = 0;
  std::string key = XmlText(record.name, &dropped);
  std::string data = XmlText(record.data, &dropped);
  if (dropped > 0) {
    fprintf(err,
            "migrator: %s: record %u at byte %" PRIu64
            ": dropped %u control characters that XML cannot hold\n",
            path, number, record.offset, dropped);
  }
  fprintf(out, "    <action plugin=\"%.38s\" key=\"%s\">\n", kActionGuids[record.type], key.c_str());
  if (record.type == kTypeExecute) {
    ExecuteParts parts = SplitExecuteData(data);
    fprintf(out, "      <command>%s</command>\n", parts.command.c_str());
    fprintf(out, "      <parameter>%s</parameter>\n", parts.parameter.c_str());
    fprintf(out, "      <dir>%s</dir>\n", parts.dir.c_str());
  } else {
    fprintf(out, "      <command>%s</command>\n", data.c_str());
  }
  fputs("    </action>\n", out);
}

// Reports why the conversion stopped early; returns the exit status.
int ReportEnd(ReadResult result, const OldRecord& record, unsigned number, const char* path,
              OldBindingsFile& file, FILE* err) {
  switch (result) {
    case ReadResult::kRecord:
    case ReadResult::kEnd:
      return 0;
    case ReadResult::kEndMark:
      // The old end-of-file mark; anything after it never belonged to the bindings, but say
      // so, since a record with a 26-byte name would look the same.
      if (file.Get() != EOF) {
        fprintf(err,
                "migrator: %s: end-of-file mark (Ctrl+Z) at byte %" PRIu64
                "; the rest of the file was not read\n",
                path, record.offset);
      }
      return 0;
    case ReadResult::kCutShort:
      fprintf(err, "migrator: %s: record %u at byte %" PRIu64 " is cut short by the end of the file\n",
              path, number, record.offset);
      return 2;
    case ReadResult::kTooLong:
      fprintf(err,
              "migrator: %s: record %u at byte %" PRIu64 ": data length %" PRIu32
              " runs past the end of the file\n",
              path, number, record.offset, record.dataLength);
      return 2;
    case ReadResult::kTooLarge:
      fprintf(err,
              "migrator: %s: record %u at byte %" PRIu64 ": data length %" PRIu32 " is too large\n",
              path, number, record.offset, record.dataLength);
      return 2;
  }
  return 2;
}

}  // namespace

int ConvertBindings(FILE* input, const char* path, FILE* out, FILE* err) {
  fputs(kStartText, out);
  OldBindingsFile file(input);
  int status = 0;
  for (unsigned number = 1;; ++number) {
    OldRecord record;
    ReadResult result = ReadRecord(file, &record);
    if (result == ReadResult::kRecord) {
      WriteAction(record, number, path, out, err);
      continue;
    }
    status = ReportEnd(result, record, number, path, file, err);
    break;
  }
  // Even after damage the text is a whole document, so that it can be saved and read.
  fputs(kEndText, out);
  fflush(out);
  return status;
}

int RunMigrator(const char* path, FILE* input) {
  if (path == nullptr) {
    // On standard error: standard output is meant to become conf.xml.
    fputs("Usage: migrator <old bindings file> > conf.xml\n", stderr);
    return 1;
  }
  if (input == nullptr) {
    printf("Couldn't open %s!\n", path);
    printf("Press enter to continue...");
    // A redirected standard output is fully buffered: the prompt must be out before the wait.
    fflush(stdout);
    int c;
    while ((c = getchar()) != EOF && c != '\n') {
    }
    return 1;
  }

  int status = ConvertBindings(input, path, stdout, stderr);
  fclose(input);
  return status;
}
