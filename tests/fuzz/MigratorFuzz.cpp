// libFuzzer target, built natively by scripts/fuzz: the converter on any bytes ends with
// status 0 or 2 and prints well-formed XML with a tambrel root. A finding aborts, so that
// libFuzzer keeps the input.
#include <libxml/parser.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "Migrator.h"

static void Finding(const char* what, const char* text, size_t length) {
  fprintf(stderr, "FINDING: %s\n--- converter output ---\n", what);
  fwrite(text, 1, length, stderr);
  fputs("\n---\n", stderr);
  abort();
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  xmlInitParser();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FILE* discard = fopen("/dev/null", "w");
  static char empty;
  FILE* input = fmemopen(size > 0 ? const_cast<uint8_t*>(data) : reinterpret_cast<uint8_t*>(&empty), size, "rb");
  char* text = nullptr;
  size_t length = 0;
  FILE* out = open_memstream(&text, &length);
  int status = ConvertBindings(input, "fuzz.dat", out, discard);
  fclose(out);
  fclose(input);

  if (status != 0 && status != 2) Finding("exit status neither 0 nor 2", text, length);
  xmlDocPtr doc = xmlReadMemory(text, static_cast<int>(length), "out.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc == nullptr) Finding("not well-formed XML", text, length);
  xmlNodePtr root = xmlDocGetRootElement(doc);
  if (root == nullptr || xmlStrcmp(root->name, BAD_CAST "tambrel") != 0)
    Finding("no tambrel root", text, length);
  xmlFreeDoc(doc);
  free(text);
  return 0;
}
