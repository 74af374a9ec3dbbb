#include "skin/skin_parser.h"

#include <string>
#include <strings.h>

#include "controls/control.h"
#include "data/byte_source.h"
#include "data/file_access.h"
#include "data/tokenizer.h"
#include "graphics/font_install.h"
#include "skin/check.h"
#include "skin/resource.h"
#include "skin/skin.h"
#include "skin/skin_factory.h"

namespace kx {

namespace {

// The commands, in the order they are compared, with the number of words a
// line needs including the command word.
enum class Command {
    Init,
    BackgroundMap,
    BackgroundCol,
    BackgroundImage,
    StartPage,
    RefreshThrottleMs,
    Condition,
    ConditionElse,
    EndCondition,
    AddCheck,
    AddResource,
    AddControl,
    AddNameCtl,
    InstallTTF,
};

struct CommandWord {
    const char* word;
    Command command;
    int minimum;
};

const CommandWord kCommands[] = {
    {"Init", Command::Init, 4},
    {"BackgroundMap", Command::BackgroundMap, 2},
    {"BackgroundCol", Command::BackgroundCol, 4},
    {"BackgroundImage", Command::BackgroundImage, 4},
    {"StartPage", Command::StartPage, 2},
    {"RefreshThrottleMs", Command::RefreshThrottleMs, 2},
    {"Condition", Command::Condition, 2},
    {"ConditionElse", Command::ConditionElse, 1},
    {"EndCondition", Command::EndCondition, 1},
    {"AddCheck", Command::AddCheck, 3},
    {"AddResource", Command::AddResource, 2},
    {"AddControl", Command::AddControl, 6},
    {"AddNameCtl", Command::AddNameCtl, 7},
    {"InstallTTF", Command::InstallTTF, 3},
};

class Parser {
public:
    Parser(KSkin& skin, KSkinFactory& factory, KTokenizer& tokens, KSkinDiagnostics* diagnostics)
        : skin_(skin), factory_(factory), t_(tokens), diagnostics_(diagnostics) {}

    void run() {
        while (t_.nextLine()) {
            ++line_;
            if (t_.wordCount() == 0)
                continue;
            joined_ = joinWords();
            const CommandWord* cmd = nullptr;
            for (const CommandWord& c : kCommands)
                if (t_.wordIs(0, c.word)) {
                    cmd = &c;
                    break;
                }
            if (!cmd) {
                ignore("unknown command");
                continue;
            }
            if (t_.wordCount() < cmd->minimum) {
                ignore(std::string(cmd->word) + " needs at least " + std::to_string(cmd->minimum - 1) +
                       " arguments");
                continue;
            }
            t_.setCursor(1);
            apply(cmd->command);
        }
    }

private:
    void ignore(const std::string& reason) {
        if (diagnostics_)
            diagnostics_->lineIgnored(line_, joined_.c_str(), reason.c_str());
    }

    // The line's words for a report; words with blanks (or none) are quoted.
    std::string joinWords() const {
        if (!diagnostics_)
            return {};
        std::string s;
        for (int i = 0; i < t_.wordCount(); ++i) {
            const char* w = t_.getWord(i);
            if (i)
                s += ' ';
            bool quote = !*w || std::string(w).find_first_of(" \t") != std::string::npos;
            if (quote)
                s += '"';
            s += w;
            if (quote)
                s += '"';
        }
        return s;
    }

    int integer(int i) const { return t_.wordAsInteger(i); }

    void apply(Command command) {
        switch (command) {
            case Command::Init:
                skin_.setInit(integer(1), integer(2), integer(3));
                break;
            case Command::BackgroundMap: {
                const KImageResource* image = skin_.findImage(t_.getWord(1));
                if (!image)
                    return ignore("no image of that name");
                if (skin_.pageCount() < 1)
                    return ignore("no pages yet (BackgroundMap before Init)");
                skin_.addBackgroundMap(image, condition_);
                break;
            }
            case Command::BackgroundCol: {
                int r = integer(1), g = integer(2), b = integer(3);
                auto inByte = [](int v) { return v >= 0 && v <= 255; };
                if (!inByte(r) || !inByte(g) || !inByte(b))
                    return ignore("colour components must lie within 0..255");
                skin_.setBackgroundColour(KColour{uint8_t(r), uint8_t(g), uint8_t(b), 255});
                break;
            }
            case Command::BackgroundImage: {
                int page = integer(1), frame = integer(3);
                const KImageResource* image = skin_.findImage(t_.getWord(2));
                if (page < 0 || frame < 1)
                    return ignore("page must be 0 or more and frame 1 or more");
                if (!image)
                    return ignore("no image of that name");
                skin_.addBackground(page, image, frame - 1, condition_);
                break;
            }
            case Command::StartPage: {
                int page = integer(1);
                if (page < 1 || page > skin_.pageCount())
                    return ignore("start page outside the pages declared so far");
                skin_.setStartPage(page);
                break;
            }
            case Command::RefreshThrottleMs:
                skin_.setRefreshThrottle(integer(1));
                break;
            case Command::Condition:
                readCondition();
                break;
            case Command::ConditionElse:
                condition_.toggleElse();
                break;
            case Command::EndCondition:
                condition_.clear();
                break;
            case Command::AddCheck: {
                const char* name = t_.getWord(1);
                t_.setCursor(2);
                const char* why = "";
                KCheck* check = createCheck(skin_.effect(), t_, &why);
                if (!check)
                    return ignore(why);
                check->setName(name);
                skin_.addCheck(std::unique_ptr<KCheck>(check));
                break;
            }
            case Command::AddResource: {
                const char* name = t_.getWord(1);
                t_.setCursor(2);
                std::unique_ptr<KResource> resource = factory_.CreateResource(t_);
                if (!resource)
                    return ignore(factory_.lastFailure());
                resource->setName(name);
                skin_.addResource(std::move(resource));
                break;
            }
            case Command::AddControl:
                addControl(1, nullptr);
                break;
            case Command::AddNameCtl:
                addControl(2, t_.getWord(1));
                break;
            case Command::InstallTTF:
                if (!installFont(t_.getWord(1), t_.getWord(2)))
                    return ignore("no built-in font file of that name");
                break;
        }
    }

    void addControl(int first, const char* name) {
        KControlInit init;
        init.page = integer(first);
        init.x = integer(first + 1);
        init.y = integer(first + 2);
        init.width = integer(first + 3);
        init.height = integer(first + 4);
        init.conditions = &condition_;
        init.effect = skin_.effect();
        init.skin = &skin_;
        t_.setCursor(first + 5);
        std::unique_ptr<KControl> control = factory_.CreateControl(init, t_);
        if (!control)
            return ignore(factory_.lastFailure());
        if (name)
            control->setName(name);
        skin_.addControl(std::move(control));
    }

    void readCondition() {
        condition_.clear();
        int count = t_.wordCount();
        for (int i = 1; i < count; ++i) {
            bool negate = false;
            // A "Not" that ends the line is a check's name.
            if (t_.wordIs(i, "Not") && i + 1 < count) {
                negate = true;
                ++i;
            }
            KCheck* check = skin_.findCheckMutable(t_.getWord(i));
            if (!check) {
                ignore(std::string("no check named '") + t_.getWord(i) + "' (skipped)");
                continue;
            }
            condition_.add(skin_.conditionRef(check, negate));
        }
    }

    KSkin& skin_;
    KSkinFactory& factory_;
    KTokenizer& t_;
    KSkinDiagnostics* diagnostics_;
    KConditionSet condition_;
    int line_ = 0;
    std::string joined_;
};

}  // namespace

std::unique_ptr<KSkin> parseSkin(KByteSource& source, KEffect* effect, KSkinFactory* factory,
                                 KSkinDiagnostics* diagnostics) {
    auto skin = std::make_unique<KSkin>(effect);
    KSkinFactory defaultFactory(effect);
    KSkinFactory& f = factory ? *factory : defaultFactory;
    f.setSkin(skin.get());
    KTokenizer tokens(&source);
    Parser(*skin, f, tokens, diagnostics).run();
    f.setSkin(nullptr);
    if (skin->width() < 1 || skin->height() < 1 || skin->pageCount() < 1) {
        if (diagnostics)
            diagnostics->skinRejected("no Init line with a positive width, height and page count");
        return nullptr;
    }
    return skin;
}

std::unique_ptr<KSkin> loadSkinFrom(const char* path, KEffect* effect, KSkinFactory* factory) {
    if (path) {
        KFileSource file(path);
        if (file.isOpen())
            if (auto skin = parseSkin(file, effect, factory))
                return skin;
    }
    KMemorySource embedded(kSkinFileName);
    return parseSkin(embedded, effect, factory);
}

std::unique_ptr<KSkin> loadSkin(KEffect* effect, KSkinFactory* factory) {
    char path[kLibraryPathSize];
    bool fits = makeLibraryFilePath(path, sizeof path, kSkinFileName);
    return loadSkinFrom(fits ? path : nullptr, effect, factory);
}

}  // namespace kx
