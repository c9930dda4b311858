#include "printable.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

TEST(Printable, ControlBytesAreEscapedAndLettersStay)
{
    EXPECT_EQ(verbolt::Printable::escape("A\nB\r\t\x1b[2J\x7f\0z"s),
              "A\\nB\\r\\t\\x1b[2J\\x7f\\x00z");
    EXPECT_EQ(verbolt::Printable::escape("caf\xE9 ok"), "caf\xE9 ok");
}
