#pragma once
// Turns a form stream into live components: the root's own properties go to the existing root
// object, every child record becomes a component owned by the root and bound to its member of
// the same name, references between components are resolved once the whole stream is read, and
// every component is then told that loading has finished.
#include "assets/ClassRegistry.h"
#include "assets/Component.h"
#include "assets/FormStream.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace nyarumi {

void LoadForm(TComponent& ARoot, const TComponentRecord& ARecord, const TClassRegistry& ARegistry);

// Reads a form stream and loads it into ARoot. A value that cannot be decoded is reported like
// one that cannot be applied: "<component>.<property> の読み込み中のエラー : <reason>".
void LoadFormStream(TComponent& ARoot, std::span<const std::uint8_t> ABytes,
                    const TClassRegistry& ARegistry);

// Reads the embedded form resource named after AClassName (the lookup ignores case) into
// ARoot. A missing resource raises "%s リソースが見つかりません" with AClassName.
void ReadComponentResource(TComponent& ARoot, std::string_view AClassName,
                           const TClassRegistry& ARegistry);

// Adds the design-time Left and Top of a component that is not a control; they land in its
// DesignInfo and have no effect at run time.
void AddDesignPosition(TClassInfo& AInfo);

} // namespace nyarumi
