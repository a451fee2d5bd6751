#include "registry/VkRegKeyNode.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::string TextOf(const VkRegDataPtr& data)
{
    std::string text;
    EXPECT_TRUE(data && data->ToText(&text));
    return text;
}

std::vector<std::string> ValueNames(VkRegKeyNode& key)
{
    std::vector<std::string> names;
    key.ResetValues();
    while (VkRegValuePtr value = key.NextValue())
        names.push_back(value->Name());
    return names;
}

std::vector<std::string> KeyNames(VkRegKeyNode& key)
{
    std::vector<std::string> names;
    key.ResetKeys();
    while (VkRegKeyPtr sub = key.NextKey())
        names.push_back(sub->Name());
    return names;
}

TEST(VkRegKeyNode, PutCreatesThenReplacesKeepingTheType)
{
    VkRegKeyNode key("k");
    key.PutValue("n", VkRegPlainData::Number(1));
    auto& entry = key.ValueEntries().at("n");
    EXPECT_TRUE(entry.modified);
    EXPECT_EQ(entry.item->Type(), dtypeInteger);
    entry.modified = false;

    key.PutValue("n", VkRegPlainData::Text("22"));
    EXPECT_TRUE(entry.modified);
    EXPECT_EQ(entry.item->Type(), dtypeInteger);
    VkRegDataPtr data;
    ASSERT_EQ(key.GetValue("n", &data), S_OK);
    EXPECT_EQ(TextOf(data), "22");
}

TEST(VkRegKeyNode, AbsentValueLeavesTheResultAlone)
{
    VkRegKeyNode key("k");
    VkRegDataPtr data = VkRegPlainData::Text("untouched");
    EXPECT_EQ(key.GetValue("missing", &data), S_FALSE);
    EXPECT_EQ(TextOf(data), "untouched");
    EXPECT_FALSE(key.ValueExists("missing"));
    EXPECT_EQ(key.ValueObject("missing"), nullptr);
}

TEST(VkRegKeyNode, RemoveMarksAndPutRevives)
{
    VkRegKeyNode key("k");
    key.PutValue("a", VkRegPlainData::Text("1"));
    key.ValueEntries().at("a").modified = false;

    VkRegValuePtr removed;
    ASSERT_EQ(key.RemoveValue("a", &removed), S_OK);
    ASSERT_NE(removed, nullptr);
    EXPECT_EQ(removed->Name(), "a");
    EXPECT_TRUE(key.ValueEntries().at("a").removed);
    EXPECT_FALSE(key.ValueExists("a"));
    EXPECT_EQ(key.Values(), 0);
    EXPECT_EQ(key.RemoveValue("a", &removed), S_FALSE);
    EXPECT_EQ(key.RemoveValue("never", &removed), S_FALSE);

    key.PutValue("a", VkRegPlainData::Text("2"));
    const auto& entry = key.ValueEntries().at("a");
    EXPECT_FALSE(entry.removed);
    EXPECT_TRUE(entry.modified);
    EXPECT_EQ(key.Values(), 1);
}

TEST(VkRegKeyNode, SectionPathsSpanLevels)
{
    VkRegKeyNode app("App");
    EXPECT_FALSE(app.KeyExists("Login\\Users"));
    VkRegKeyPtr users = app.AddKey("Login\\Users");
    ASSERT_NE(users, nullptr);
    EXPECT_EQ(users->Name(), "Users");
    EXPECT_TRUE(app.KeyExists("Login"));
    EXPECT_TRUE(app.KeyExists("Login\\Users"));
    EXPECT_EQ(app.Key("Login\\Users"), users);
    EXPECT_EQ(app.Key("Login")->Key("Users"), users);
    // Adding again gives the same key; empty levels are ignored.
    EXPECT_EQ(app.AddKey("Login\\\\Users\\"), users);
    EXPECT_EQ(app.AddKey(""), nullptr);
    EXPECT_EQ(app.AddKey("\\"), nullptr);
    EXPECT_EQ(app.Keys(), 1);
    EXPECT_TRUE(app.KeyEntries().at("Login").modified);
}

TEST(VkRegKeyNode, RemovedKeysAreGoneUntilAddedAgain)
{
    VkRegKeyNode app("App");
    VkRegKeyPtr users = app.AddKey("Login\\Users");
    users->PutValue("SCOTT", VkRegPlainData::Text("x"));
    VkRegKeyPtr removed;
    ASSERT_EQ(app.RemoveKey("Login\\Users", &removed), S_OK);
    EXPECT_EQ(removed, users);
    EXPECT_FALSE(app.KeyExists("Login\\Users"));
    EXPECT_TRUE(app.KeyExists("Login"));
    EXPECT_EQ(app.RemoveKey("Login\\Users", &removed), S_FALSE);

    VkRegKeyPtr fresh = app.AddKey("Login\\Users");
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, users);
    EXPECT_EQ(fresh->Values(), 0);
    const auto& entry = app.Key("Login")->KeyEntries().at("Users");
    EXPECT_TRUE(entry.purge);
    EXPECT_FALSE(entry.removed);
}

TEST(VkRegKeyNode, IteratorsGoInByteOrderAndSkipRemoved)
{
    VkRegKeyNode key("k");
    for (const char* name : {"b", "B", "a", "c", "_"})
        key.PutValue(name, VkRegPlainData::Text(name));
    EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"B", "_", "a", "b", "c"}));
    key.RemoveValue("a", nullptr);
    EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"B", "_", "b", "c"}));

    // A put resets the value iterator.
    key.ResetValues();
    EXPECT_EQ(key.NextValue()->Name(), "B");
    EXPECT_EQ(key.NextValue()->Name(), "_");
    key.PutValue("z", VkRegPlainData::Text("z"));
    EXPECT_EQ(key.NextValue()->Name(), "B");

    for (const char* name : {"y", "x", "w"})
        key.AddKey(name);
    EXPECT_EQ(KeyNames(key), (std::vector<std::string>{"w", "x", "y"}));
    key.RemoveAllKeys();
    EXPECT_EQ(KeyNames(key), std::vector<std::string>{});
    EXPECT_EQ(key.NextKey(), nullptr);
}

TEST(VkRegKeyNode, ClearMarksEverythingRemoved)
{
    VkRegKeyNode key("k");
    key.PutValue("v", VkRegPlainData::Text("1"));
    key.AddKey("s");
    key.Clear();
    EXPECT_EQ(key.Values(), 0);
    EXPECT_EQ(key.Keys(), 0);
    EXPECT_TRUE(key.ValueEntries().at("v").removed);
    EXPECT_TRUE(key.KeyEntries().at("s").removed);
}

TEST(VkRegKeyNode, TraverseFindsTheFirstDepthFirst)
{
    VkRegKeyNode top("top");
    top.AddKey("a\\deep\\target")->PutValue("v", VkRegPlainData::Text("from a"));
    top.AddKey("b\\target")->PutValue("v", VkRegPlainData::Text("from b"));
    VkRegKeyPtr found = top.TraverseKeyFind("target");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, top.Key("a\\deep\\target"));
    EXPECT_EQ(TextOf(top.TraverseValueFind("v")->Data()), "from a");
    top.PutValue("v", VkRegPlainData::Text("own"));
    EXPECT_EQ(TextOf(top.TraverseValueFind("v")->Data()), "own");
    EXPECT_EQ(top.TraverseKeyFind("none"), nullptr);
    EXPECT_EQ(top.TraverseValueFind("none"), nullptr);
    top.RemoveKey("a", nullptr);
    EXPECT_EQ(top.TraverseKeyFind("target"), top.Key("b\\target"));
}

TEST(VkRegKeyNode, AddKeyObjectRefusesCycles)
{
    auto top = std::make_shared<VkRegKeyNode>("top");
    VkRegKeyPtr child = top->AddKey("child");
    EXPECT_EQ(child->AddKeyObject(top), E_INVALIDARG);
    EXPECT_EQ(top->AddKeyObject(top), E_INVALIDARG);
    EXPECT_EQ(top->AddKeyObject(nullptr), E_INVALIDARG);
    EXPECT_EQ(top->AddKeyObject(std::make_shared<VkRegKeyNode>("")), E_INVALIDARG);

    auto other = std::make_shared<VkRegKeyNode>("child");
    other->PutValue("v", VkRegPlainData::Number(1));
    ASSERT_EQ(top->AddKeyObject(other), S_OK);
    EXPECT_EQ(top->Key("child"), other);
    EXPECT_TRUE(top->KeyEntries().at("child").purge);
    EXPECT_EQ(top->Keys(), 1);
}

// Many threads on one tree: every put lands, nothing deadlocks.
TEST(VkRegKeyNode, SeveralThreadsOnOneTree)
{
    auto top = std::make_shared<VkRegKeyNode>("top");
    constexpr int kThreads = 6, kRounds = 400;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([top, t] {
            const std::string section = "s" + std::to_string(t % 3);
            for (int i = 0; i < kRounds; ++i) {
                VkRegKeyPtr key = top->AddKey(section);
                key->PutValue("v" + std::to_string(t) + "_" + std::to_string(i), VkRegPlainData::Number(i));
                key->ValueObject("v" + std::to_string(t) + "_" + std::to_string(i))->Parts();
                top->TraverseValueFind("none");
                key->ResetValues();
                while (key->NextValue()) {
                }
                if (i % 50 == 0)
                    key->RemoveValue("v" + std::to_string(t) + "_0", nullptr);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    LONG total = 0;
    for (int s = 0; s < 3; ++s)
        total += top->Key("s" + std::to_string(s))->Values();
    EXPECT_EQ(total, kThreads * (kRounds - 1));
}

TEST(VkRegKeyNode, TreesDeeperThanAThreadsStackAreWalkedAndFreed)
{
    // 200 000 levels: nested calls of even 50 bytes a level would need 10 MB.
    constexpr int levels = 200000;
    std::string path;
    path.reserve(levels * 2);
    for (int i = 0; i < levels; ++i)
        path += i ? "\\k" : "k";
    auto top = std::make_shared<VkRegKeyNode>("top");
    VkRegKeyPtr bottom = top->AddKey(path);
    ASSERT_NE(bottom, nullptr);
    bottom->PutValue("deepest", VkRegPlainData::Text("here"));
    bottom->AddKey("last");

    EXPECT_EQ(top->TraverseKeyFind("nowhere"), nullptr);
    EXPECT_EQ(top->TraverseKeyFind("last").get(), bottom->Key("last").get());
    VkRegValuePtr deepest = top->TraverseValueFind("deepest");
    ASSERT_NE(deepest, nullptr);
    EXPECT_EQ(TextOf(deepest->Data()), "here");
    EXPECT_EQ(top->TraverseValueFind("none"), nullptr);
    // A cycle is still found and refused.
    EXPECT_EQ(bottom->AddKeyObject(top), E_INVALIDARG);

    // Held elsewhere, the bottom outlives its tree whole.
    bottom.reset();
    VkRegKeyPtr kept = top->Key("k\\k\\k");
    top.reset();
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->Keys(), 1);
    EXPECT_NE(kept->TraverseValueFind("deepest"), nullptr);
}

} // namespace
