// Undo when memory runs short: the allocation that would hold a change's removed lines for the
// history fails (this test program's operator new fails large allocations while the test says
// so). The older steps go first and the change is still undoable; when that does not free
// enough, the user is asked before anything changes: "no" leaves the text and its selection,
// "yes" makes the change, which then cannot be undone.
//
// A program of its own: the replaced operator new serves every allocation in it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "editor/thaimemo.h"
#include "testing/answering_services.h"

namespace {

// While `failures` > 0, an allocation of at least `failFrom` bytes fails (and counts down).
size_t failFrom = 0;
int failures = 0;

}  // namespace

void* operator new(std::size_t size) {
    if (failures > 0 && size >= failFrom) {
        --failures;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

constexpr int kLines = 40000;  // the removed lines need more than a megabyte: no other allocation does

class NoMemoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < kLines; ++i) text.push_back("line " + std::to_string(i));
        memo.RowCount = 10;
        memo.ColCount = 20;
        memo.Lines.Assign(text);
        memo.History.Clear();
        memo.MarkUnmodified();
        // An older step: a line inserted at the top.
        Key(platform::vk::KeyN, true);
        text.insert(text.begin(), "");
        ASSERT_EQ(memo.Lines.All(), text);
    }
    void TearDown() override { failures = 0; }
    void Key(int code, bool ctrl = false) {
        platform::ShiftState shift;
        shift.ctrl = ctrl;
        memo.KeyDown(code, shift);
    }
    // Select All and Delete, with `fail` allocations of the removed lines' size failing.
    void DeleteAll(int fail) {
        memo.SelectAll();
        failFrom = 1 << 20;
        failures = fail;
        Key(platform::vk::Delete);
        failures = 0;
    }

    testservices::AnsweringServices services;
    TThaimemo memo;
    std::vector<std::string> text;
};

TEST_F(NoMemoryTest, TheOlderStepsGoFirstAndTheChangeStaysUndoable) {
    DeleteAll(1);
    EXPECT_TRUE(services.questions.empty());
    EXPECT_LE(memo.LineCount(), 1);
    EXPECT_EQ(memo.History.UndoCount(), 1u);
    ASSERT_TRUE(memo.Undo());
    EXPECT_EQ(memo.Lines.All(), text);
    EXPECT_FALSE(memo.History.CanUndo());  // the inserted line went to make room
    EXPECT_TRUE(memo.Modified);
}

TEST_F(NoMemoryTest, WithoutMemoryEvenThenTheUserDecidesFirst) {
    services.answers = {platform::mrNo};
    DeleteAll(2);
    EXPECT_EQ(services.questions, std::vector<std::string>{"Not enough memory to undo this change. Make it anyway?"});
    EXPECT_EQ(memo.Lines.All(), text);
    EXPECT_TRUE(memo.Selecting);

    services.answers = {platform::mrYes};
    DeleteAll(2);
    EXPECT_EQ(services.questions.size(), 2u);
    EXPECT_LE(memo.LineCount(), 1);
    EXPECT_TRUE(memo.Modified);
    EXPECT_FALSE(memo.History.CanUndo());
    EXPECT_FALSE(memo.Undo());
    // What comes after is recorded again, back to the text the change left.
    const std::vector<std::string> left = memo.Lines.All();
    unsigned char typed = 'z';
    memo.KeyPress(typed);
    ASSERT_NE(memo.Lines.All(), left);
    ASSERT_TRUE(memo.Undo());
    EXPECT_EQ(memo.Lines.All(), left);
    EXPECT_TRUE(memo.Modified);
}

}  // namespace
