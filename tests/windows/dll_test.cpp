// Kelvox2.dll as a host loads it: through either entry name, from any
// folder, again and again.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>

#include "plugin/vst_abi.h"
#include "scratch_folder.h"

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
