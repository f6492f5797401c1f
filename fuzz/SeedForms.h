#pragma once
// Seed forms of the fuzz corpus that tests use too: a broken byte in them must give the same
// report in a test as in a fuzz run.
#include "assets/FormStream.h"

namespace nyarumi::fuzz {

// The About window's shape: a root with a caption, a label with a UTF-16 caption, a link label
// with a UTF-8 caption, a bold underlined font and a popup menu of unnamed items, and a button
// with a handler.
TComponentRecord AboutLikeForm();

} // namespace nyarumi::fuzz
