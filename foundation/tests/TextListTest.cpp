#include "foundation/TextList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines linesOf(const TextList& list) {
    Lines v;
    for (unsigned i = 0; i < list.count(); ++i) v.push_back(list.get(i).c_str());
    return v;
}

void fill(TextList& list, const Lines& lines) {
    for (const std::string& s : lines) ASSERT_TRUE(list.add(String(s.c_str())));
}

TEST(TextList, AddAtPositionsAndRemove) {
    struct Row {
        const char* name;
        unsigned position;
        Lines expected;
    } rows[] = {
        {"append with -1", unsigned(-1), {"a", "b", "c", "X"}},
        {"front", 0, {"X", "a", "b", "c"}},
        {"middle", 2, {"a", "b", "X", "c"}},
        {"beyond the end", 50, {"a", "b", "c", "X"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TextList list;
        fill(list, {"a", "b", "c"});
        EXPECT_TRUE(list.add("X", r.position));
        EXPECT_EQ(linesOf(list), r.expected);
        list.remove(1);
        list.remove(99);   // out of range: nothing happens
        Lines after = r.expected;
        after.erase(after.begin() + 1);
        EXPECT_EQ(linesOf(list), after);
    }
}

TEST(TextList, EntriesShareTheCallersText) {
    String line("shared line");
    {
        TextList list;
        list.add(line);
        EXPECT_EQ(line.referenceCount(), 2);   // a new String object, same text block
        String copy = list.get(0);
        EXPECT_EQ(line.referenceCount(), 3);
    }
    EXPECT_EQ(line.referenceCount(), 1);   // the list deleted its entry
    TextList list;
    EXPECT_STREQ(list.get(0).c_str(), "");   // out of range reads as empty
}

TEST(TextList, CapacityFollowsTheBufferRules) {
    TextList list;   // 1024 initial, 0x40000 maximum entries
    const uint32_t entry = sizeof(void*);
    EXPECT_EQ(list.capacity(), 1024 * entry);
    EXPECT_EQ(list.maxCapacity(), 0x40000 * entry);
    for (int i = 0; i < 1025; ++i) list.add("x");
    EXPECT_EQ(list.capacity(), 2048 * entry);
    while (list.count() > 1) list.remove(0);
    EXPECT_EQ(list.capacity(), 1024 * entry);   // halved back, never below the initial size
    list.clear();
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(list.size(), 0u);
}

TEST(TextList, FullListDropsInsertsAndSaysSo) {
    TextList list(2, 4);
    fill(list, {"d", "b", "c", "a"});
    EXPECT_FALSE(list.add("e"));
    EXPECT_FALSE(list.insertSorted("e"));
    EXPECT_FALSE(list.parseText("f\r\ng", 4));
    EXPECT_EQ(linesOf(list), (Lines{"d", "b", "c", "a"}));   // no copy leaked either (ASan)
}

TEST(TextList, InsertSorted) {
    struct Row {
        const char* name;
        Lines before;
        const char* text;
        Lines after;
    } rows[] = {
        {"between", {"A", "C"}, "B", {"A", "B", "C"}},
        {"lower case after upper", {"A", "C"}, "a", {"A", "C", "a"}},
        {"front", {"B", "C"}, "A", {"A", "B", "C"}},
        {"into empty", {}, "M", {"M"}},
        {"duplicate kept", {"A", "B", "C"}, "B", {"A", "B", "B", "C"}},
        {"empty text first", {"A"}, "", {"", "A"}},
        {"prefix before longer", {"AB", "B"}, "A", {"A", "AB", "B"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TextList list;
        fill(list, r.before);
        EXPECT_TRUE(list.insertSorted(r.text));
        EXPECT_EQ(linesOf(list), r.after);
    }
}

TEST(TextList, InsertSortedPutsTheNewCopyInFrontOfTheEqualEntry) {
    TextList list;
    fill(list, {"A", "B", "C"});
    void* old = list.at(1);
    list.insertSorted("B");
    EXPECT_NE(list.at(1), old);
    EXPECT_EQ(list.at(2), old);
}

TEST(TextList, InsertSortedBuildsASortedList) {
    std::mt19937 random(7);
    TextList list;
    Lines reference;
    for (int i = 0; i < 500; ++i) {
        std::string s = std::to_string(random() % 200);
        list.insertSorted(s.c_str());
        reference.push_back(s);
    }
    std::sort(reference.begin(), reference.end());
    EXPECT_EQ(linesOf(list), reference);
}

TEST(TextList, Sort) {
    struct Row {
        const char* name;
        Lines input;
    } rows[] = {
        {"empty", {}},
        {"one", {"x"}},
        {"two reversed", {"b", "a"}},
        {"byte order", {"b", "B", "a", "A", "_", "1", ""}},
        {"duplicates", {"c", "a", "c", "b", "a", "c"}},
        {"all equal", {"q", "q", "q", "q", "q"}},
        {"sorted", {"a", "b", "c", "d", "e"}},
        {"high bytes", {"\xe4", "z", "\x80", "a"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TextList list;
        fill(list, r.input);
        list.sort();
        Lines expected = r.input;
        std::sort(expected.begin(), expected.end());   // std::string orders bytes unsigned, like strcmp
        EXPECT_EQ(linesOf(list), expected);
    }
}

TEST(TextList, SortLargeListsOfEveryShape) {
    std::mt19937 random(11);
    struct Row {
        const char* name;
        std::string (*make)(int i, std::mt19937& random);
    } rows[] = {
        {"random", [](int, std::mt19937& r) { return std::to_string(r()); }},
        {"few distinct", [](int, std::mt19937& r) { return std::to_string(r() % 3); }},
        {"ascending", [](int i, std::mt19937&) { return std::to_string(100000 + i); }},
        {"descending", [](int i, std::mt19937&) { return std::to_string(100000 - i); }},
        {"organ pipe",
         [](int i, std::mt19937&) { return std::to_string(100000 + (i < 4000 ? i : 8000 - i)); }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TextList list;
        Lines expected;
        for (int i = 0; i < 8000; ++i) {
            std::string s = r.make(i, random);
            list.add(s.c_str());
            expected.push_back(s);
        }
        list.sort();
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(linesOf(list), expected);
    }
}

TEST(TextList, RemoveAdjacentDuplicates) {
    struct Row {
        const char* name;
        Lines input, output;
    } rows[] = {
        {"only adjacent", {"A", "A", "B", "A"}, {"A", "B", "A"}},
        {"runs", {"A", "A", "A", "B", "B", "C"}, {"A", "B", "C"}},
        {"empty entries", {"", "", "x"}, {"", "x"}},
        {"case differs", {"a", "A"}, {"a", "A"}},
        {"one", {"A"}, {"A"}},
        {"none", {}, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TextList list;
        fill(list, r.input);
        list.removeAdjacentDuplicates();
        EXPECT_EQ(linesOf(list), r.output);
    }
}

TEST(TextList, ParseText) {
    struct Row {
        const char* name;
        std::string text;
        Lines lines;
    } rows[] = {
        {"CR LF", "a\r\nb", {"a", "b"}},
        {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
        {"lone CR", "a\rb\rc", {"a", "b", "c"}},
        {"lone LF", "a\nb\n", {"a", "b"}},
        {"trailing break adds nothing", "a\r\n", {"a"}},
        {"empty text", "", {}},
        {"only a break", "\r\n", {""}},
        {"empty lines kept", "\r\n\r\nx", {"", "", "x"}},
        {"CR at the very end", "a\r", {"a"}},
        {"CR CR LF", "a\r\r\nb", {"a", "", "b"}},
        {"no break", "single line", {"single line"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TextList list;
        list.add("kept");   // parsing appends
        EXPECT_TRUE(list.parseText(r.text.data(), r.text.size()));
        Lines expected = r.lines;
        expected.insert(expected.begin(), "kept");
        EXPECT_EQ(linesOf(list), expected);
    }
}

TEST(TextList, ParseTextTakesExactlyTheGivenLength) {
    const char text[] = "ab\0cd\r\nef\r\nnot this";
    TextList list;
    list.parseText(text, 11);   // up to and including the second CR LF
    ASSERT_EQ(list.count(), 2u);
    EXPECT_STREQ(list.get(0).c_str(), "ab");   // a zero byte ends the text early
    EXPECT_STREQ(list.get(1).c_str(), "ef");
}

}   // namespace
