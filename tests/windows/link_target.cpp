// What the link test asks the shell to open: a program that leaves a file
// named after itself with ".opened" added, and ends.
#include <windows.h>

#include <fstream>
#include <string>

int main() {
    char path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return 1;
    std::ofstream(std::string(path, n) + ".opened") << "opened\n";
    return 0;
}
