// A skin's links open web pages and mail, nothing else: a skin file beside
// the plug-in may name a program, a document or a share, and a click must
// not run it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/link_target.h"
#include "editor/link_launcher.h"
#include "skin/skin_fixture.h"

namespace kx::testing {
namespace {

std::vector<std::string> gOpened;
bool recordOpened(const char* target) {
    gOpened.push_back(target);
    return true;
}

TEST(LinkTarget, OnlyWebAndMailSchemesAtTheStartInAnyCase) {
    for (const char* ok : {"http://tamlow.example", "https://tamlow.example/kelvox2", "HTTPS://TAMLOW.EXAMPLE",
                           "mailto:kelvox2@tamlow.example", "MailTo:x"})
        EXPECT_TRUE(isOpenableLink(ok)) << ok;
    for (const char* refused :
         {"", "file:///C:/Windows/System32/calc.exe", "FILE://server/share/setup.exe", "C:\\Windows\\notepad.exe",
          "\\\\server\\share\\tool.exe", "calc.exe", "notes.txt", " https://tamlow.example", "xhttps://a",
          "javascript:alert(1)", "ms-settings:", "shell:startup", "https", "/usr/bin/xterm"}) {
        EXPECT_FALSE(isOpenableLink(refused)) << refused;
        EXPECT_NE(linkRefusal(refused), nullptr) << refused;
    }
    EXPECT_FALSE(isOpenableLink(nullptr));
    EXPECT_EQ(linkRefusal("https://a"), nullptr);
}

class LinkClickTest : public SkinTest {};

TEST_F(LinkClickTest, APressOnALinkThatIsNotWebOrMailOpensNothing) {
    ASSERT_TRUE(load("Init 200 40 1\n"
                     "AddControl 1 0 0 20 20 KUrl \"C:\\Windows\\System32\\calc.exe\"\n"
                     "AddControl 1 20 0 20 20 KUrl \"file:///usr/bin/xterm\"\n"
                     "AddControl 1 40 0 20 20 KUrl \"\\\\server\\share\\setup.exe\"\n"
                     "AddControl 1 60 0 20 20 KUrl \"HTTPS://tamlow.example/kelvox2\"\n"
                     "AddControl 1 80 0 20 20 KUrl \"mailto:kelvox2@tamlow.example\"\n"));
    ASSERT_EQ(skin->controlCount(), 5u) << "the controls exist; they only do nothing";
    EXPECT_EQ(skin->CursorAt(10, 10), 0) << "no hand over a link that does nothing";
    EXPECT_EQ(skin->CursorAt(70, 10), 2);
    gOpened.clear();
    const KLinkLauncher old = setLinkLauncher(recordOpened);
    for (int x = 10; x < 100; x += 20) {
        EXPECT_FALSE(skin->LeftDown(false, false, x, 10));
        skin->LeftUp(false, false, x, 10);
    }
    // And straight through the editor's opener, whatever asks it.
    EXPECT_FALSE(openLink("calc.exe"));
    EXPECT_FALSE(openLink(""));
    EXPECT_FALSE(openLink(nullptr));
    setLinkLauncher(old);
    EXPECT_EQ(gOpened, (std::vector<std::string>{"HTTPS://tamlow.example/kelvox2", "mailto:kelvox2@tamlow.example"}));
}

// The system's own launcher refuses too, so nothing that reaches it by
// another road runs a program.
TEST(SystemLinkLauncher, RefusesWhatIsNotAWebOrMailLink) {
    EXPECT_FALSE(systemLinkLauncher("/bin/true"));
    EXPECT_FALSE(systemLinkLauncher("file:///bin/true"));
    EXPECT_FALSE(systemLinkLauncher(""));
}

}  // namespace
}  // namespace kx::testing
