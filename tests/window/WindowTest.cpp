#include "shell/window/Form.h"
#include <gtest/gtest.h>
TEST(Build, Links) { SUCCEED(); }
