// mapjass-split on any bytes as a script. Nothing may crash; a refused
// script leaves no file, a split one is only its input's lines in
// functions, and what the check before the name refuses is never split.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "split/script_split.h"
#include "test_support.h"

using namespace mapjass;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const testing::TempFolder folder;
  testing::writeFile(folder.file("in.j"), std::string(reinterpret_cast<const char*>(data), size));
  std::remove(folder.file("in.split.j").c_str());
  SplitSummary summary;
  ByteReader in;
  Status status = ByteReader::openFile(folder.path(), "in.j", in);
  if (!status.ok()) std::abort();
  // Only a clash with the name passes the check and fails the split.
  const bool checked = checkScript(in).ok();
  if (!in.rewind().ok()) std::abort();
  status = splitScript(in, folder.path(), "in.split.j", "Fuzz", summary, [](const std::string&) {});
  if (!checked && status.ok()) std::abort();
  testing::Files files = folder.contents();
  if (files.size() != (status.ok() ? 2u : 1u)) std::abort();
  if (status.ok() && (summary.callLines == 0 || summary.functions == 0 ||
                      !files["in.split.j"].ends_with("endfunction\n"))) {
    std::abort();
  }
  return 0;
}
