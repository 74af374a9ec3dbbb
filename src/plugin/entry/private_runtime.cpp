// Built only into a plug-in that carries its own static copy of the C++
// runtime. That copy allocates an emergency pool for exceptions when the
// library is loaded and, being private, is never told that the process is
// done with it: without this every unload of the library would leak the
// pool (about 70 KB) in a host that loads and unloads plug-ins.
namespace __gnu_cxx {
void __freeres() noexcept;  // libstdc++'s own; frees the pool
}

namespace {

__attribute__((destructor)) void releasePrivateRuntime() { __gnu_cxx::__freeres(); }

}  // namespace
