#include "state/text.h"

#include <gtest/gtest.h>

TEST(Text, CharactersAndFixedDecimals)
{
    EXPECT_EQ(text::leftCharacters("ch12345678901234567", 15), "ch1234567890123");
    EXPECT_EQ(text::leftCharacters("Kanal \xc3\xa4\xc3\xb6\xc3\xbc", 8), "Kanal \xc3\xa4\xc3\xb6");
    EXPECT_EQ(text::leftCharacters("short", 15), "short");
    EXPECT_EQ(text::fixed(2.5, 3), "2.500");
    EXPECT_EQ(text::fixed(2.5, 4), "2.5000");
    EXPECT_EQ(text::fixed(49.99999999, 0), "50");
    EXPECT_EQ(text::fixed(0.0, 0), "0");
}
