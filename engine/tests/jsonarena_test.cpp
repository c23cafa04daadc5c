// The JSON arena the parser reads documents with: trees stay intact for the
// outermost scope, and cJSON allocates from the heap again once it has ended.

#include "bookfixture.h"
#include "jsonarena.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace booktest;

TEST(JsonArena, InnerScopeLeavesTheOuterScopesTreeAlone) {
    JsonArenaScope outer;
    cJSON* first = cJSON_Parse(R"({"scene_name": "first page", "sprite": ["a", "b", "c"]})");
    ASSERT_NE(first, nullptr);
    {
        JsonArenaScope inner;
        cJSON_Delete(cJSON_Parse(R"({"scene_name": "inner"})"));
    }
    // Memory the outer scope handed out is not handed out again.
    cJSON* second = cJSON_Parse(R"({"scene_name": "second page, written over the first if reused"})");
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(cJSON_GetObjectItem(first, "scene_name")->valuestring, "first page");
    EXPECT_STREQ(cJSON_GetArrayItem(cJSON_GetObjectItem(first, "sprite"), 2)->valuestring, "c");
    cJSON_Delete(second);
    cJSON_Delete(first);
}

TEST(JsonArena, LargeDocumentsAndHeapUseAfterTheScope) {
    // Strings above the arena's block limit and more nodes than one chunk holds.
    Json big(cJSON_CreateArray());
    const std::string longText(100000, 'x');
    cJSON_AddItemToArray(big.get(), cJSON_CreateString(longText.c_str()));
    for (int i = 0; i < 20000; ++i)
        cJSON_AddItemToArray(big.get(), cJSON_CreateString("node"));
    const std::string text = print(big.get());
    {
        JsonArenaScope scope;
        cJSON* doc = cJSON_Parse(text.c_str());
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(cJSON_GetArraySize(doc), 20001);
        EXPECT_EQ(std::string(cJSON_GetArrayItem(doc, 0)->valuestring), longText);
        cJSON_Delete(doc);
    }
    // cJSON's own allocations are plain heap blocks again: free() takes them.
    char* printed = cJSON_PrintUnformatted(big.get());
    ASSERT_NE(printed, nullptr);
    EXPECT_EQ(std::string(printed), text);
    std::free(printed);
}
