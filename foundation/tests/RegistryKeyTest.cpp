#include "foundation/RegistryKey.h"
#include "foundation/TextList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines sortedLinesOf(const TextList& list) {
    Lines lines;
    for (unsigned i = 0; i < list.count(); ++i) lines.push_back(list.get(i).c_str());
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Every test works below HKCU\Software\Q8diagTest<pid> of the test prefix and
// removes it afterwards.
class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        keyName = String("Software\\Q8diagTest") + String::decimal(GetCurrentProcessId());
        key.reset(new RegistryKey(HKEY_CURRENT_USER, READ_CONTROL));
        ASSERT_TRUE(key->isOpen());
        ASSERT_TRUE(key->openSubKey(keyName, true, KEY_ALL_ACCESS));
    }
    void TearDown() override {
        key.reset();
        RegistryKey root(HKEY_CURRENT_USER, KEY_ALL_ACCESS);
        root.deleteKeyTree(keyName);
    }

    String keyName;
    std::unique_ptr<RegistryKey> key;
};

TEST_F(RegistryKeyTest, StringsAndDwordsWithTheirDefaults) {
    const String longText = "C:\\Program Files\\Receiver\\Plugins";   // well over 15 characters
    ASSERT_TRUE(key->writeString("Long", longText));
    ASSERT_TRUE(key->writeString("Short", "abc"));
    ASSERT_TRUE(key->writeString("Empty", ""));
    ASSERT_TRUE(key->writeDword("Number", 0xDEADBEEF));

    EXPECT_EQ(key->readString("Long", "default"), longText);
    EXPECT_EQ(key->readString("Short", "default"), "abc");
    EXPECT_EQ(key->readString("Empty", "default"), "");
    EXPECT_EQ(key->readString("Missing", "default"), "default");
    EXPECT_EQ(key->readString("Missing", ""), "");

    EXPECT_EQ(key->readDword("Number", 7), 0xDEADBEEFu);
    EXPECT_EQ(key->readDword("Short", 7), 7u);   // REG_SZ is not a number
    EXPECT_EQ(key->readDword("Missing", 7), 7u);

    EXPECT_TRUE(key->valueExists("Short"));
    EXPECT_TRUE(key->deleteValue("Short"));
    EXPECT_FALSE(key->valueExists("Short"));
    EXPECT_FALSE(key->deleteValue("Short"));
}

TEST_F(RegistryKeyTest, ReadStringStopsAtTheReturnedSize) {
    // Data stored without a terminating zero, or of odd length: the text must
    // end where the data ends, not run on into whatever follows in memory.
    struct Row {
        const char* name;
        std::string data;
        DWORD type;
        const char* expected;
    } rows[] = {
        {"no terminator", "abc", REG_SZ, "abc"},
        {"odd length binary", "hello", REG_BINARY, "hello"},
        {"exactly 16 bytes, no terminator", std::string(16, 'q'), REG_SZ, "qqqqqqqqqqqqqqqq"},
        {"long, no terminator (second query)", std::string(40, 'z'), REG_BINARY,
         "zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz"},
        {"embedded zero", std::string("ab\0cd", 5), REG_SZ, "ab"},
        {"empty data", "", REG_BINARY, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(key->writeBinary("Raw", row.data.data(), (uint32_t)row.data.size(), row.type));
        EXPECT_STREQ(key->readString("Raw", "default").c_str(), row.expected);
    }
}

TEST_F(RegistryKeyTest, BinaryValues) {
    const unsigned char data[] = {1, 2, 3, 0, 5};
    ASSERT_TRUE(key->writeBinary("Bytes", data, sizeof data, REG_BINARY));
    unsigned char buffer[16] = {};
    DWORD type = 0;
    EXPECT_EQ(key->readBinary("Bytes", buffer, sizeof buffer, &type), sizeof data);
    EXPECT_EQ(type, (DWORD)REG_BINARY);
    EXPECT_EQ(0, memcmp(buffer, data, sizeof data));
    EXPECT_EQ(key->readBinary("Bytes", buffer, 2), 0u);   // buffer too small
    EXPECT_EQ(key->readBinary("Missing", buffer, sizeof buffer), 0u);
}

TEST_F(RegistryKeyTest, OpenSubKeyMovesOnlyOnSuccess) {
    ASSERT_TRUE(key->writeString("Marker", "parent"));
    EXPECT_FALSE(key->openSubKey("Missing", false, KEY_READ));
    EXPECT_EQ(key->readString("Marker", ""), "parent");   // still on the old key
    EXPECT_FALSE(key->subKeyExists("Missing"));

    EXPECT_TRUE(key->openSubKey("Made\\Two", true, KEY_ALL_ACCESS));
    EXPECT_EQ(key->readString("Marker", "none"), "none");   // moved onto the new key
    EXPECT_TRUE(key->writeString("Marker", "child"));

    RegistryKey parent(HKEY_CURRENT_USER, READ_CONTROL);
    ASSERT_TRUE(parent.openSubKey(keyName, false, KEY_READ));
    EXPECT_TRUE(parent.subKeyExists("Made"));
    EXPECT_TRUE(parent.subKeyExists("Made\\Two"));
}

TEST_F(RegistryKeyTest, OpenChildLeavesTheParentWhereItIs) {
    ASSERT_TRUE(key->writeString("Marker", "parent"));
    std::unique_ptr<RegistryKey> missing(key->openChild("Child", false, KEY_READ));
    EXPECT_EQ(missing, nullptr);
    std::unique_ptr<RegistryKey> child(key->openChild("Child", true, KEY_ALL_ACCESS));
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->writeString("Marker", "child"));
    EXPECT_EQ(key->readString("Marker", ""), "parent");
    std::unique_ptr<RegistryKey> again(key->openChild("Child", false, KEY_READ));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->readString("Marker", ""), "child");
    EXPECT_FALSE(again->writeString("Other", "x"));   // opened for reading only
}

TEST_F(RegistryKeyTest, ListsOfSubKeysAndValueNames) {
    TextList names;
    names.add("kept");
    key->listSubKeys(names);   // no sub-keys yet
    EXPECT_EQ(sortedLinesOf(names), (Lines{"kept"}));

    for (const char* name : {"Gamma", "Alpha", "Beta"}) delete key->openChild(name, true, KEY_ALL_ACCESS);
    const String longName(String('k', 200));
    delete key->openChild(longName, true, KEY_ALL_ACCESS);
    TextList subKeys;
    key->listSubKeys(subKeys);
    EXPECT_EQ(sortedLinesOf(subKeys), (Lines{"Alpha", "Beta", "Gamma", longName.c_str()}));

    key->writeString("One", "1");
    key->writeDword("Two", 2);
    TextList values;
    key->listValueNames(values);
    EXPECT_EQ(sortedLinesOf(values), (Lines{"One", "Two"}));
}

TEST_F(RegistryKeyTest, DeleteKeyTreeRemovesEveryLevel) {
    for (const char* path : {"Tree\\A\\A1\\A11", "Tree\\A\\A2", "Tree\\B"}) {
        std::unique_ptr<RegistryKey> made(key->openChild(path, true, KEY_ALL_ACCESS));
        ASSERT_NE(made, nullptr) << path;
        made->writeString("Value", path);
    }
    EXPECT_EQ(key->deleteKeyTree("Tree"), ERROR_SUCCESS);
    EXPECT_FALSE(key->subKeyExists("Tree"));
    EXPECT_NE(key->deleteKeyTree("Tree"), ERROR_SUCCESS);   // nothing left to delete
}

TEST_F(RegistryKeyTest, ReopenAndClose) {
    EXPECT_FALSE(key->reopen(nullptr, KEY_READ));
    EXPECT_TRUE(key->isOpen());
    EXPECT_TRUE(key->reopen(HKEY_CURRENT_USER, KEY_READ));
    EXPECT_TRUE(key->subKeyExists(keyName));
    EXPECT_TRUE(key->close());
    EXPECT_FALSE(key->isOpen());
}

TEST(RegistryKey, EveryOperationFailsQuietlyOnAClosedKey) {
    RegistryKey key(nullptr, KEY_READ);
    EXPECT_FALSE(key.isOpen());
    EXPECT_FALSE(key.openSubKey("Software", true, KEY_READ));
    EXPECT_EQ(key.openChild("Software", true, KEY_READ), nullptr);
    EXPECT_FALSE(key.subKeyExists("Software"));
    EXPECT_FALSE(key.valueExists("x"));
    EXPECT_EQ(key.readDword("x", 5), 5u);
    EXPECT_EQ(key.readString("x", "d"), "d");
    char buffer[4];
    EXPECT_EQ(key.readBinary("x", buffer, sizeof buffer), 0u);
    EXPECT_FALSE(key.writeDword("x", 1));
    EXPECT_FALSE(key.writeString("x", "y"));
    EXPECT_FALSE(key.writeBinary("x", buffer, 1));
    EXPECT_FALSE(key.deleteValue("x"));
    EXPECT_NE(key.deleteKeyTree("x"), ERROR_SUCCESS);
    TextList list;
    key.listSubKeys(list);
    key.listValueNames(list);
    EXPECT_EQ(list.count(), 0u);
}

}   // namespace
