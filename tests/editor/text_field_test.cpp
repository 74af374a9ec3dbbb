// The one-line text field's editing, the keys a host forwards, and the
// single-byte text of pasted and typed characters.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "editor/host_keys.h"
#include "editor/linux/single_byte_text.h"
#include "editor/text_field.h"
#include "editor/window_messages.h"

namespace kx {
namespace {

void typeText(KTextField& field, const char* text) {
    for (const char* p = text; *p; ++p)
        field.character(static_cast<unsigned char>(*p));
}

TEST(TextField, TypingReplacesTheSelectionAndTheCaretFollows) {
    KTextField field;
    field.setText("12.5");
    field.select(0, -1);
    typeText(field, "-3");
    EXPECT_STREQ(field.text(), "-3");
    EXPECT_EQ(field.caret(), 2);
    EXPECT_FALSE(field.hasSelection());
}

TEST(TextField, BackspaceAndDeleteRemoveOneCharacterOrTheSelection) {
    KTextField field;
    field.setText("abcdef");
    field.select(3, 3);
    EXPECT_TRUE(field.keyDown(VK_BACK, false, false, nullptr));
    EXPECT_STREQ(field.text(), "abdef");
    EXPECT_TRUE(field.keyDown(VK_DELETE, false, false, nullptr));
    EXPECT_STREQ(field.text(), "abef");
    field.select(1, 3);
    EXPECT_TRUE(field.keyDown(VK_DELETE, false, false, nullptr));
    EXPECT_STREQ(field.text(), "af");
    field.select(0, 0);
    EXPECT_FALSE(field.keyDown(VK_BACK, false, false, nullptr));
    field.select(2, 2);
    EXPECT_FALSE(field.keyDown(VK_DELETE, false, false, nullptr));
    EXPECT_STREQ(field.text(), "af");
}

TEST(TextField, ArrowsCollapseASelectionAndShiftExtendsIt) {
    KTextField field;
    field.setText("hello");
    field.select(1, 4);
    field.keyDown(VK_LEFT, false, false, nullptr);
    EXPECT_EQ(field.caret(), 1);
    EXPECT_FALSE(field.hasSelection());
    field.select(1, 4);
    field.keyDown(VK_RIGHT, false, false, nullptr);
    EXPECT_EQ(field.caret(), 4);
    field.keyDown(VK_HOME, true, false, nullptr);
    EXPECT_EQ(field.selectionStart(), 0);
    EXPECT_EQ(field.selectionEnd(), 4);
    field.keyDown(VK_END, false, false, nullptr);
    EXPECT_EQ(field.caret(), 5);
    field.keyDown(VK_RIGHT, false, false, nullptr);
    EXPECT_EQ(field.caret(), 5);
    field.keyDown(VK_LEFT, true, false, nullptr);
    EXPECT_EQ(field.selectionStart(), 4);
    EXPECT_EQ(field.selectionEnd(), 5);
}

TEST(TextField, ControlASelectsEverythingAndPlainAIsNoCommand) {
    KTextField field;
    field.setText("abc");
    EXPECT_FALSE(field.keyDown('A', false, false, nullptr));
    EXPECT_TRUE(field.keyDown('A', false, true, nullptr));
    EXPECT_EQ(field.selectionStart(), 0);
    EXPECT_EQ(field.selectionEnd(), 3);
}

TEST(TextField, HoldsAtMost255CharactersAndControlCharactersAreNoText) {
    KTextField field;
    std::string longText(400, '7');
    field.setText(longText.c_str());
    EXPECT_EQ(field.length(), 255);
    EXPECT_FALSE(field.character('8'));  // full: refused, nothing changes
    EXPECT_EQ(field.length(), 255);
    field.select(0, -1);
    EXPECT_FALSE(field.character('\r'));
    EXPECT_FALSE(field.character(0x7F));
    EXPECT_TRUE(field.character(0xE9));  // é
    EXPECT_STREQ(field.text(), "\xE9");
    char small[4];
    field.setText("123456");
    EXPECT_EQ(field.getText(small, sizeof small), 3u);
    EXPECT_STREQ(small, "123");
}

TEST(TextField, ASelectionFromTheEndBackwardsKeepsItsCaret) {
    KTextField field;
    field.setText("abcdef");
    field.select(5, 2);
    EXPECT_EQ(field.caret(), 2);
    EXPECT_EQ(field.selectionStart(), 2);
    EXPECT_EQ(field.selectionEnd(), 5);
    field.select(-1, 0);
    EXPECT_FALSE(field.hasSelection());
    EXPECT_EQ(field.caret(), 2);
}

TEST(HostKeys, VirtualKeysAndCharactersBecomeWindowKeys) {
    VstKeyCode ret{0, 4, 0};  // VKEY_RETURN
    EXPECT_EQ(translateHostKey(ret).virtualKey, VK_RETURN);
    EXPECT_EQ(translateHostKey(ret).character, 0);
    VstKeyCode enter{0, 19, 0};  // VKEY_ENTER, the keypad's
    EXPECT_EQ(translateHostKey(enter).virtualKey, VK_RETURN);
    VstKeyCode digit{0, 27, 0};  // VKEY_NUMPAD3
    EXPECT_EQ(translateHostKey(digit).virtualKey, VK_NUMPAD0 + 3);
    EXPECT_EQ(translateHostKey(digit).character, '3');
    VstKeyCode letter{'q', 0, 1};  // Shift
    KHostKey q = translateHostKey(letter);
    EXPECT_EQ(q.virtualKey, unsigned('Q'));
    EXPECT_EQ(q.character, 'q');
    EXPECT_TRUE(q.shift);
    VstKeyCode chord{'a', 0, 8};  // MODIFIER_CONTROL
    KHostKey a = translateHostKey(chord);
    EXPECT_EQ(a.virtualKey, unsigned('A'));
    EXPECT_EQ(a.character, 0) << "a Ctrl chord types nothing";
    EXPECT_TRUE(a.control);
    VstKeyCode past{0, 200, 0};
    EXPECT_EQ(translateHostKey(past).virtualKey, 0u);
    VstKeyCode wide{0x20AC, 0, 0};  // beyond a byte: no character
    EXPECT_EQ(translateHostKey(wide).character, 0);
}

TEST(SingleByteText, Utf8BecomesWindows1252WithQuestionMarksForTheRest) {
    // a, é, €, 中, 🎹, then a sequence cut short
    const char* utf8 = "a\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD\xF0\x9F\x8E\xB9\xC3";
    char out[16];
    size_t n = utf8ToSingleByte(reinterpret_cast<const unsigned char*>(utf8), std::strlen(utf8), out, sizeof out);
    EXPECT_EQ(std::string(out, n),
              "a\xE9\x80??"
              "?");
    EXPECT_EQ(utf8ToSingleByte(reinterpret_cast<const unsigned char*>("abcdef"), 6, out, 4), 3u);
    EXPECT_STREQ(out, "abc");
    EXPECT_EQ(singleByteOf(0x2122), 0x99);  // ™
    EXPECT_EQ(singleByteOf(0x81), 0);
}

}  // namespace
}  // namespace kx
