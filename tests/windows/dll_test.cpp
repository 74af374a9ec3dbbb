// Kelvox2.dll as a host loads it: through either entry name, from any
// folder, again and again.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <utility>

#include "plugin/vst_abi.h"
#include "scratch_folder.h"
#include "win32_host.h"

namespace kx::testing {
namespace {

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

VstPluginMainProc entryOf(HMODULE module, const char* name) {
    return reinterpret_cast<VstPluginMainProc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The editor's width and height from the DLL at that path, loaded and
// unloaded again as a host does; -1 when it cannot be had.
std::pair<int, int> editorSizeOf(const std::string& dll) {
    const HMODULE module = LoadLibraryA(dll.c_str());
    if (!module)
        return {-1, -1};
    const VstPluginMainProc entry = entryOf(module, "VSTPluginMain");
    std::pair<int, int> size{-1, -1};
    if (AEffect* effect = entry ? entry(quietHost) : nullptr) {
        ERect* rect = nullptr;
        if (effect->dispatcher(effect, effEditGetRect, 0, 0, &rect, 0) && rect)
            size = {rect->right - rect->left, rect->bottom - rect->top};
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0);
    }
    FreeLibrary(module);
    return size;
}

// GetModuleFileNameA names the DLL, not the program that loaded it: a skin
// file next to the DLL replaces the built-in one.
TEST(Dll, FindsTheSkinFileInItsOwnFolder) {
    ScratchFolder folder;
    const std::string dll = folder.file("Kelvox2.dll");
    ASSERT_TRUE(CopyFileA(windowsPath(KX_PLUGIN_PATH).c_str(), dll.c_str(), FALSE));
    EXPECT_EQ(editorSizeOf(dll), std::make_pair(665, 395 + 12)) << "the built-in skin";
    folder.write("Kelvox2Skin.txt", "Init 300 200 3\r\n");
    EXPECT_EQ(editorSizeOf(dll), std::make_pair(300, 200 + 12));
}

// A skin beside the DLL is anyone's to write. One that names a program, or
// a file: link to it, runs nothing when the link is clicked in the editor
// inside a host's window.
TEST(Dll, ASkinBesideTheDllCannotRunAProgramThroughALink) {
    ScratchFolder folder;
    const std::string dll = folder.file("Kelvox2.dll");
    ASSERT_TRUE(CopyFileA(windowsPath(KX_PLUGIN_PATH).c_str(), dll.c_str(), FALSE));
    const std::string program = folder.file("link_target.exe");
    ASSERT_TRUE(CopyFileA(windowsPath(KX_LINK_TARGET_PATH).c_str(), program.c_str(), FALSE));
    std::string fileLink = "file:///" + program;
    for (char& c : fileLink)
        if (c == '\\')
            c = '/';
    folder.write("Kelvox2Skin.txt", "Init 200 40 1\r\n"
                                    "AddControl 1 0 0 50 40 KUrl \"" + program + "\"\r\n"
                                    "AddControl 1 50 0 50 40 KUrl \"" + fileLink + "\"\r\n");
    const HMODULE module = LoadLibraryA(dll.c_str());
    ASSERT_NE(module, nullptr);
    const VstPluginMainProc entry = entryOf(module, "VSTPluginMain");
    AEffect* effect = entry ? entry(quietHost) : nullptr;
    ASSERT_NE(effect, nullptr);
    {
        HostWindow host(200, 52);
        ASSERT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0, host.hwnd(), 0), 1);
        pumpMessages();
        click(host.child(), 20, 20);
        click(host.child(), 70, 20);
        effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0);
        Sleep(1500);  // time enough for a program the shell started to run
        pumpMessages();
        EXPECT_FALSE(std::filesystem::exists(program + ".opened")) << "a click ran the program";
        effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0);
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0);
    FreeLibrary(module);
}

TEST(Dll, BothEntryNamesGiveAnInstrument) {
    const HMODULE module = LoadLibraryA(windowsPath(KX_PLUGIN_PATH).c_str());
    ASSERT_NE(module, nullptr);
    for (const char* name : {"VSTPluginMain", "main"}) {
        const VstPluginMainProc entry = entryOf(module, name);
        ASSERT_NE(entry, nullptr) << name;
        AEffect* effect = entry(quietHost);
        ASSERT_NE(effect, nullptr) << name;
        EXPECT_EQ(effect->magic, kEffectMagic);
        EXPECT_EQ(effect->uniqueID, VST_FOURCC('k', 'v', 'M', 't'));
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0);
    }
    FreeLibrary(module);
}

// Hosts scan plug-ins by loading and unloading them; the module's statics
// are built and torn down each round.
TEST(Dll, LoadsAndUnloadsAgainAndAgain) {
    const std::string dll = windowsPath(KX_PLUGIN_PATH);
    for (int round = 0; round < 20; ++round)
        ASSERT_EQ(editorSizeOf(dll).first, 665) << round;
    EXPECT_EQ(GetModuleHandleA("Kelvox2.dll"), nullptr);  // really unloaded
}

}  // namespace
}  // namespace kx::testing
