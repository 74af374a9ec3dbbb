#include <gtest/gtest.h>

#include "engine/note_stack.h"

namespace kx {
namespace {

TEST(NoteStack, KeepsOrderOnRemoval) {
    NoteStack stack;
    EXPECT_EQ(stack.top(), -1);
    for (int k : {10, 20, 30, 40})
        stack.push(k);
    EXPECT_TRUE(stack.remove(20));
    EXPECT_FALSE(stack.remove(20));
    stack.push(10);
    ASSERT_EQ(stack.count(), 3);
    EXPECT_EQ(stack.at(0), 30);
    EXPECT_EQ(stack.at(1), 40);
    EXPECT_EQ(stack.at(2), 10);
    for (int k = 0; k < 200; ++k)  // every key once, and then some: never beyond the room
        stack.push(k % 128);
    EXPECT_EQ(stack.count(), 128);
    EXPECT_EQ(stack.top(), 199 % 128);
}

}  // namespace
}  // namespace kx
