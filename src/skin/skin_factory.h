// KSkinFactory: how the parser turns a type or kind word and its arguments
// into a control or a resource. A product extends the skin language by
// deriving from it and overriding CreateControl or CreateResource.
#pragma once

#include <memory>
#include <string>

namespace kx {

class KControl;
class KEffect;
class KResource;
class KSkin;
class KTokenizer;
struct KControlInit;

class KSkinFactory {
public:
    explicit KSkinFactory(KEffect* effect) : effect_(effect) {}
    virtual ~KSkinFactory() = default;

    // The cursor stands on the type word; words are taken left to right.
    // Null when a required word, resource, parameter or value is missing.
    virtual std::unique_ptr<KControl> CreateControl(const KControlInit& init, KTokenizer& tokens);
    // The cursor stands on the kind word. Null when the kind is unknown or
    // the resource can't be made.
    virtual std::unique_ptr<KResource> CreateResource(KTokenizer& tokens);

    void setSkin(KSkin* skin) { skin_ = skin; }
    KEffect* effect() const { return effect_; }
    KSkin* skin() const { return skin_; }

    // Why the last Create call made nothing (for the skin checker; the
    // parser itself stays silent).
    const char* lastFailure() const { return failure_.c_str(); }

protected:
    // Records the reason and answers null, so that `return fail(...)` reads well.
    std::nullptr_t fail(const std::string& reason) {
        failure_ = reason;
        return nullptr;
    }
    void clearFailure() { failure_.clear(); }

private:
    KEffect* effect_;    // not owned
    KSkin* skin_ = nullptr;  // the skin being built; not owned
    std::string failure_;
};

}  // namespace kx
