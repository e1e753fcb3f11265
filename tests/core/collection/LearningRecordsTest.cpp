#include "foundation/StringList.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

// The stored form of an item's examples and tags.
TEST(StringListTest, EncodesAsValuesMemberRoundTripsAndRejectsMalformedEncodings)
{
    const StringList list{{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("例句"), QString()}};
    EXPECT_EQ(list.toJSONData(), QByteArray(R"({"values":["b","a","例句",""]})"));
    EXPECT_EQ(StringList::fromJSONData(list.toJSONData()), list);
    EXPECT_EQ(StringList::fromJSON(StringList{}.toJSON()), StringList{});
    for (const char *data : {"", "[]", "{}", R"({"values":"a"})", R"({"values":["a",1]})", R"({"values":[null]})"})
        EXPECT_FALSE(StringList::fromJSONData(QByteArray(data)).has_value()) << data;
}
