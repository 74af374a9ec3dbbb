// Named objects: the base of everything the framework finds by name
// (parameters, commands, skin resources, checks, controls, installed fonts).
#pragma once

#include <cstring>

namespace kx {

// Name lengths in characters (the buffer holds one more for the terminator).
inline constexpr int kParamNameLength = 8;      // the host's limit for parameter texts
inline constexpr int kObjectNameLength = 35;    // commands, checks, controls, font records
inline constexpr int kResourceNameLength = 25;  // skin resources

class KNamedObject {
public:
    virtual ~KNamedObject() = default;
    virtual const char* getName() const = 0;
    // At the root: the whole name, case-sensitive.
    virtual bool isNamed(const char* text) const {
        const char* name = getName();
        return name && text && std::strcmp(name, text) == 0;
    }
};

// A named object whose name lives in its own buffer of N characters.
template <int N>
class KNamedObjectN : public KNamedObject {
public:
    static constexpr int kNameLength = N;

    KNamedObjectN() { name_[0] = '\0'; }

    const char* getName() const override { return name_; }
    // Only the first N characters count, as the buffer can hold no more.
    bool isNamed(const char* text) const override { return text && std::strncmp(name_, text, N) == 0; }
    virtual const char* getClassName() const = 0;
    virtual void setName(const char* text) {
        if (!text) {
            name_[0] = '\0';
            return;
        }
        std::strncpy(name_, text, N);
        name_[N] = '\0';
    }
    virtual bool isClass(const char* className) const {
        return className && std::strcmp(getClassName(), className) == 0;
    }
    virtual bool isNamedOfClass(const char* name, const char* className) const {
        return isNamed(name) && isClass(className);
    }

private:
    char name_[N + 1];
};

}  // namespace kx
