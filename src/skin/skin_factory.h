// KSkinFactory: how the parser turns a type or kind word and its arguments
// into a control or a resource. A product extends the skin language by
// deriving from it and overriding CreateControl or CreateResource.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kx {

class KArgReader;
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

    // Whether the word names one of the framework's control types (any letter case).
    static bool isFrameworkControlType(const char* word);

    void setSkin(KSkin* skin) { skin_ = skin; }
    KEffect* effect() const { return effect_; }
    KSkin* skin() const { return skin_; }

    // PngFile images are read from this folder (ending in a separator)
    // instead of the library's: a tool checks a skin where it will be placed.
    void setFileFolder(const std::string& folder) { fileFolder_ = folder; }

    // While listening (the skin checker does), Create calls also note words
    // that apply but read as something other than they say.
    void setListening(bool listening) { listening_ = listening; }
    bool listening() const { return listening_; }

    // Why the last Create call made nothing (its reader's reason: the
    // operations' signatures are fixed, so the reason waits here), and what
    // the last one that made something noted. For the skin checker; the
    // parser itself stays silent.
    const char* lastFailure() const { return failure_.c_str(); }
    const std::vector<std::string>& lastWarnings() const { return warnings_; }

protected:
    // Records the reason and answers null, so that `return fail(...)` reads well.
    std::nullptr_t fail(const std::string& reason) {
        failure_ = reason;
        return nullptr;
    }
    void clearFailure() {
        failure_.clear();
        warnings_.clear();
    }
    void setWarnings(std::vector<std::string> warnings) { warnings_ = std::move(warnings); }

private:
    std::unique_ptr<KResource> makeImageResource(KArgReader& args, bool fromFile);
    std::unique_ptr<KResource> makeColourResource(KArgReader& args, bool withAlpha);
    std::unique_ptr<KResource> makeFontResource(KArgReader& args);
    // The bytes of an image file named by a PngFile line; null when it can't
    // be read, with the reason (saying where it was looked for) in the reader.
    const uint8_t* readImageFile(KArgReader& a, const char* name, std::unique_ptr<uint8_t[]>& bytes,
                                 uint64_t& length) const;

    KEffect* effect_;        // not owned
    KSkin* skin_ = nullptr;  // the skin being built; not owned
    std::string fileFolder_;
    bool listening_ = false;
    std::string failure_;
    std::vector<std::string> warnings_;
};

}  // namespace kx
