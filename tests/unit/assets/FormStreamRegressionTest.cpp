// Inputs that fuzzing found mishandled, kept so that they stay handled.
#include "assets/FormStream.h"

#include "TestBytes.h"
#include "assets/Messages.h"
#include "common/Errors.h"

#include <gtest/gtest.h>

namespace nyarumi {
namespace {

using test::OneProperty;
using test::TBytes;

struct TRejectCase {
  const char* Label;
  std::vector<std::uint8_t> Stream;
  const char* Message;
};

void PrintTo(const TRejectCase& ACase, std::ostream* AOut) {
  *AOut << ACase.Label;
}

class FormStreamRegression : public testing::TestWithParam<TRejectCase> {};

TEST_P(FormStreamRegression, WhenReadingThenTheFixedErrorAndNoTreeTheWriterWouldRefuse) {
  const TRejectCase& c = GetParam();
  try {
    const TComponentRecord tree = ReadFormStream(c.Stream);
    // Had the reader accepted it, the tools must at least be able to write it back.
    EXPECT_NO_THROW(WriteFormStream(tree));
    ADD_FAILURE() << "accepted";
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), c.Message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Found, FormStreamRegression,
    testing::Values(
        // An identifier names a member, colour, handler or component; an empty one names none.
        TRejectCase{"empty identifier", OneProperty("PopupMenu", {7, 0}),
                    MSG_INVALID_PROPERTY_VALUE},
        TRejectCase{"empty identifier on a nameless root, as first found",
                    TBytes()
                        .Text("TPF0")
                        .Raw({0, 0})                            // class and name empty
                        .Raw({7, 0, 0, 0, 'i', 'o', 'n', 0x12}) // a property name with NULs
                        .Raw({7, 0})                            // the empty identifier
                        .Raw({0, 0})
                        .Get(),
                    MSG_INVALID_PROPERTY_VALUE}));

} // namespace
} // namespace nyarumi
