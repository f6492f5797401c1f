// Feeds arbitrary bytes to the form-stream reader. A rejected stream must end in a fixed read
// error; an accepted one must survive the writer and read back as the same tree, and the writer
// must reproduce its own output from that tree.
#include "assets/FormStream.h"
#include "assets/Messages.h"
#include "assets/Values.h"
#include "common/Errors.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace nyarumi::fuzz {
namespace {

void CheckTree(std::span<const std::uint8_t> ABytes) {
  TComponentRecord tree;
  try {
    tree = ReadFormStream(ABytes);
  } catch (const EReadError& e) {
    CheckMessage(e, {MSG_READ_ERROR, MSG_INVALID_IMAGE, MSG_INVALID_PROPERTY_VALUE});
    return;
  }
  // Anything the reader accepts, the tools must be able to write back unchanged.
  const std::vector<std::uint8_t> written = WriteFormStream(tree);
  const TComponentRecord again = ReadFormStream(written);
  FUZZ_CHECK(tree == again);
  FUZZ_CHECK(WriteFormStream(again) == written);
}

} // namespace
} // namespace nyarumi::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
  nyarumi::fuzz::CheckTree(std::span<const std::uint8_t>(AData, ASize));
  return 0;
}
