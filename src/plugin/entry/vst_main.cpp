// Placeholder entry until the effect exists: refuses to create an instance.
extern "C" __attribute__((visibility("default"))) void* VSTPluginMain(void*) { return nullptr; }
extern "C" __attribute__((visibility("default"))) void* legacy_entry(void* host) __asm__("main");
extern "C" void* legacy_entry(void* host) { return VSTPluginMain(host); }
