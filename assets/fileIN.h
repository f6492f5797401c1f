#pragma once
// TfileIN carries a copy of a data file inside a form stream: writing a form embeds the file
// named by FileName as the binary property DATA, reading restores those bytes into Stream.
#include "assets/ClassRegistry.h"
#include "assets/Component.h"
#include "assets/FormStream.h"
#include "assets/Stream.h"

#include <string>

namespace nyarumi {

class TfileIN : public TComponent {
public:
  explicit TfileIN(TComponent* AOwner) : TComponent(AOwner) {}

  std::string FileName;
  TMemoryStream Stream;

  // Fills Stream from a DATA payload: a signed 32-bit count, then that many bytes. A payload
  // without a whole count, a negative count or fewer bytes than counted raise the read error.
  void ReadData(TMemoryStream& APayload);
  // Writes a DATA payload with the file's current contents, which also end up in Stream. An
  // unreadable file is no error: the payload is then a count of 0 and Stream stays empty.
  void WriteData(TMemoryStream& AOutput);
  // Whether a writer has DATA to write: only when FileName names a file.
  bool HasData() const { return !FileName.empty(); }

  // Appends what a form writer stores for this component, in stream order: FileName when not
  // empty, the design-time Left and Top, then DATA when HasData().
  void WriteProperties(TComponentRecord& ARecord);
};

// Registers "TfileIN" with its FileName, Left, Top and DATA.
void RegisterfileIN(TClassRegistry& ARegistry);

} // namespace nyarumi
