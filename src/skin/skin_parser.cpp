#include "skin/skin_parser.h"

#include <strings.h>
#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "controls/control.h"
#include "data/byte_source.h"
#include "data/file_access.h"
#include "data/tokenizer.h"
#include "graphics/canvas.h"
#include "graphics/font_install.h"
#include "graphics/resource.h"
#include "skin/arg_reader.h"
#include "skin/check.h"
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

// The required arguments of each command, for telling a line that is short of one.
constexpr KArgSlot kInitArgs[] = {
    {"width", KArgKind::Integer}, {"height", KArgKind::Integer}, {"page count", KArgKind::Integer}};
constexpr KArgSlot kImageArgs[] = {{"image", KArgKind::Name}};
constexpr KArgSlot kColourArgs[] = {
    {"red", KArgKind::Integer}, {"green", KArgKind::Integer}, {"blue", KArgKind::Integer}};
constexpr KArgSlot kBackgroundImageArgs[] = {
    {"page", KArgKind::Integer}, {"image", KArgKind::Name}, {"frame", KArgKind::Integer}};
constexpr KArgSlot kPageArgs[] = {{"page", KArgKind::Integer}};
constexpr KArgSlot kMsArgs[] = {{"milliseconds", KArgKind::Integer}};
constexpr KArgSlot kConditionArgs[] = {{"check name", KArgKind::Name}};
constexpr KArgSlot kCheckArgs[] = {{"name", KArgKind::Text}, {"kind", KArgKind::Text}};
constexpr KArgSlot kResourceArgs[] = {{"name", KArgKind::Text}};
constexpr KArgSlot kControlArgs[] = {{"page", KArgKind::Integer},
                                     {"x", KArgKind::Integer},
                                     {"y", KArgKind::Integer},
                                     {"width", KArgKind::Integer},
                                     {"height", KArgKind::Integer}};
constexpr KArgSlot kNameCtlArgs[] = {{"name", KArgKind::Text},     {"page", KArgKind::Integer},
                                     {"x", KArgKind::Integer},     {"y", KArgKind::Integer},
                                     {"width", KArgKind::Integer}, {"height", KArgKind::Integer}};
constexpr KArgSlot kFontFileArgs[] = {{"name", KArgKind::Text}, {"file", KArgKind::Text}};

struct CommandWord {
    const char* word;
    Command command;
    int minimum;
    const KArgSlot* args;  // minimum - 1 of them
};

const CommandWord kCommands[] = {
    {"Init", Command::Init, 4, kInitArgs},
    {"BackgroundMap", Command::BackgroundMap, 2, kImageArgs},
    {"BackgroundCol", Command::BackgroundCol, 4, kColourArgs},
    {"BackgroundImage", Command::BackgroundImage, 4, kBackgroundImageArgs},
    {"StartPage", Command::StartPage, 2, kPageArgs},
    {"RefreshThrottleMs", Command::RefreshThrottleMs, 2, kMsArgs},
    {"Condition", Command::Condition, 2, kConditionArgs},
    {"ConditionElse", Command::ConditionElse, 1, nullptr},
    {"EndCondition", Command::EndCondition, 1, nullptr},
    {"AddCheck", Command::AddCheck, 3, kCheckArgs},
    {"AddResource", Command::AddResource, 2, kResourceArgs},
    {"AddControl", Command::AddControl, 6, kControlArgs},
    {"AddNameCtl", Command::AddNameCtl, 7, kNameCtlArgs},
    {"InstallTTF", Command::InstallTTF, 3, kFontFileArgs},
};

// Text editors on some systems start a UTF-8 file with a byte-order mark;
// read as text it would glue itself to the first command word.
class ByteOrderMarkSkipper final : public KByteSource {
public:
    explicit ByteOrderMarkSkipper(KByteSource& source) : source_(source) {}
    bool isOpen() const override { return source_.isOpen(); }
    std::size_t read(std::uint8_t* buffer, std::size_t count) override {
        if (!started_) {
            started_ = true;
            while (held_ < 3) {
                std::size_t n = source_.read(head_ + held_, 3 - held_);
                if (n == 0)
                    break;
                held_ += n;
            }
            if (held_ == 3 && head_[0] == 0xEF && head_[1] == 0xBB && head_[2] == 0xBF)
                held_ = 0;
        }
        if (served_ < held_) {
            std::size_t n = std::min(count, held_ - served_);
            std::memcpy(buffer, head_ + served_, n);
            served_ += n;
            return n;
        }
        return source_.read(buffer, count);
    }

private:
    KByteSource& source_;
    std::uint8_t head_[3] = {};
    std::size_t held_ = 0;
    std::size_t served_ = 0;
    bool started_ = false;
};

class Parser {
public:
    Parser(KSkin& skin, KSkinFactory& factory, KTokenizer& tokens, KSkinDiagnostics* diagnostics)
        : skin_(skin), factory_(factory), t_(tokens), diagnostics_(diagnostics) {}

    void run() {
        while (t_.nextLine()) {
            ++line_;
            const bool continued = afterCut_;
            afterCut_ = t_.lineWasCut();
            if (t_.wordCount() == 0)
                continue;
            joined_ = joinWords();
            noteLineFaults(continued);
            const CommandWord* cmd = nullptr;
            for (const CommandWord& c : kCommands)
                if (t_.wordIs(0, c.word)) {
                    cmd = &c;
                    break;
                }
            if (!cmd) {
                ignore(std::string("unknown command '") + t_.getWord(0) + "'");
                continue;
            }
            if (t_.wordCount() < cmd->minimum) {
                if (diagnostics_)
                    ignore(describeMissingArguments(cmd->word, cmd->args, cmd->minimum - 1, t_, 1));
                continue;
            }
            t_.setCursor(1);
            ignored_ = false;
            apply(cmd->command);
            if (!ignored_) {
                for (const std::string& f : lineFaults_)
                    warn(f);
                for (const std::string& w : pending_)
                    warn(w);
            }
            pending_.clear();
        }
    }

    // What only shows once the whole script is read: the final size and
    // page count against every control and background.
    void finish() {
        if (!diagnostics_ || skin_.width() < 1 || skin_.height() < 1 || skin_.pageCount() < 1)
            return;
        const long long pixels = static_cast<long long>(skin_.width()) * skin_.height();
        if (pixels > KCanvas::kMaxPixels)
            warnAt(init_, "an editor of " + std::to_string(skin_.width()) + " x " + std::to_string(skin_.height()) +
                              " pixels (the footer's " + std::to_string(kFooterHeight) +
                              " rows included) is more than its canvas holds (" +
                              std::to_string(KCanvas::kMaxPixels) + " pixels): no host can open it");
        for (size_t i = 0; i < placed_.size() && i < skin_.controlCount(); ++i) {
            const KControl* c = skin_.control(i);
            checkPage(placed_[i], c->page());
            checkPlace(placed_[i], c->x(), c->y(), c->width(), c->height());
        }
        for (const Placed& bg : backgrounds_)
            checkPage(bg, bg.page);
    }

private:
    // A line whose findings can only be told after the last line.
    struct Placed {
        int line;
        std::string text;
        int page;
    };

    // What the reader and the tokenizer made of the line's text, which the
    // words alone no longer show. The first cause of a failure, if it fails.
    void noteLineFaults(bool continued) {
        lineFaults_.clear();
        if (!diagnostics_)
            return;
        const std::string limit = std::to_string(KTokenizer::kLineSize - 2);
        if (continued)
            lineFaults_.push_back("the rest of the line above, which was cut at " + limit +
                                  " characters, read as a line of its own");
        if (t_.lineWasCut())
            lineFaults_.push_back("longer than " + limit +
                                  " characters: the line is cut there and its rest read as the next line");
        if (t_.commentCutQuote())
            lineFaults_.push_back("a '#' inside the quoted text starts a comment, also inside quotes: the line ends "
                                  "there (leave the '#' out of the text)");
        else if (t_.quoteUnclosed() && !t_.lineWasCut())
            lineFaults_.push_back("the quoted text has no closing quote: it runs to the end of the line and takes "
                                  "in the words after it");
    }

    // Words the line's numbers were read from explain its failure, unless
    // the failure already names the misplaced word.
    void ignore(const std::string& reason) {
        ignored_ = true;
        if (!diagnostics_)
            return;
        std::string full;
        for (const std::string& f : lineFaults_)
            full += f + "; ";
        full += reason;
        if (reason.find("stands in its place") == std::string::npos)
            for (size_t i = 0; i < pending_.size(); ++i)
                full += (i ? "; " : " (") + pending_[i] + (i + 1 == pending_.size() ? ")" : "");
        diagnostics_->lineIgnored(line_, joined_.c_str(), full.c_str());
    }
    void warn(const std::string& warning) {
        if (diagnostics_ && !warning.empty())
            diagnostics_->lineWarning(line_, joined_.c_str(), warning.c_str());
    }
    void warnAt(const Placed& at, const std::string& warning) {
        diagnostics_->lineWarning(at.line, at.text.c_str(), warning.c_str());
    }
    void warnAll(const std::vector<std::string>& warnings) {
        for (const std::string& w : warnings)
            warn(w);
    }
    Placed here(int page) const { return Placed{line_, joined_, page}; }

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

    int integer(int i, const char* what) {
        int value = t_.wordAsInteger(i);
        if (diagnostics_) {
            std::string warning = integerWordWarning(t_.getWord(i), what, value);
            if (!warning.empty())
                pending_.push_back(warning);
        }
        return value;
    }

    void apply(Command command) {
        switch (command) {
        case Command::Init: {
            int width = integer(1, "width"), height = integer(2, "height"), pages = integer(3, "page count");
            if (diagnostics_) {
                if (initLine_)
                    warn("a second Init: it replaces the one on line " + std::to_string(initLine_));
                if (width < 1 || height < 1 || pages < 1)
                    warn("width, height and page count must each be above 0");
                initLine_ = line_;
                init_ = here(0);
            }
            skin_.setInit(width, height, pages);
            break;
        }
        case Command::BackgroundMap: {
            const KImageResource* image = skin_.findImage(t_.getWord(1));
            if (!image)
                return ignore(std::string("no image named '") + t_.getWord(1) + "'");
            if (skin_.pageCount() < 1)
                return ignore("no pages yet (BackgroundMap before Init)");
            if (diagnostics_ && image->frameCount() != skin_.pageCount() && skin_.pageCount() > 1)
                warnMapFrames(t_.getWord(1), image->frameCount(), skin_.pageCount());
            skin_.addBackgroundMap(image, condition_);
            break;
        }
        case Command::BackgroundCol: {
            int r = integer(1, "red"), g = integer(2, "green"), b = integer(3, "blue");
            auto inByte = [](int v) { return v >= 0 && v <= 255; };
            if (!inByte(r) || !inByte(g) || !inByte(b))
                return ignore("colour components must lie within 0..255");
            skin_.setBackgroundColour(KColour{uint8_t(r), uint8_t(g), uint8_t(b), 255});
            break;
        }
        case Command::BackgroundImage: {
            int page = integer(1, "page"), frame = integer(3, "frame");
            const KImageResource* image = skin_.findImage(t_.getWord(2));
            if (page < 0 || frame < 1)
                return ignore("page must be 0 or more and frame 1 or more");
            if (!image)
                return ignore(std::string("no image named '") + t_.getWord(2) + "'");
            if (diagnostics_) {
                if (frame > image->frameCount())
                    warn("frame " + std::to_string(frame) + " of an image of " + std::to_string(image->frameCount()) +
                         ": nothing is drawn");
                backgrounds_.push_back(here(page));
            }
            skin_.addBackground(page, image, frame - 1, condition_);
            break;
        }
        case Command::StartPage: {
            int page = integer(1, "page");
            if (page < 1 || page > skin_.pageCount())
                return ignore("start page outside the pages declared so far");
            skin_.setStartPage(page);
            break;
        }
        case Command::RefreshThrottleMs: skin_.setRefreshThrottle(integer(1, "milliseconds")); break;
        case Command::Condition: readCondition(); break;
        case Command::ConditionElse: condition_.toggleElse(); break;
        case Command::EndCondition: condition_.clear(); break;
        case Command::AddCheck: addCheck(); break;
        case Command::AddResource: addResource(); break;
        case Command::AddControl: addControl(1, nullptr); break;
        case Command::AddNameCtl: addControl(2, t_.getWord(1)); break;
        case Command::InstallTTF:
            if (!installFont(t_.getWord(1), t_.getWord(2)))
                return ignore(std::string("no built-in font file '") + t_.getWord(2) + "'");
            break;
        }
    }

    void warnMapFrames(const char* image, int frames, int pages) {
        std::string warning = "'";
        warning += image;
        warning += "' has " + std::to_string(frames) + (frames == 1 ? " frame" : " frames") +
                   ", not one for each of the " + std::to_string(pages) +
                   " pages: its first frame shows behind every page";
        warn(warning);
    }

    void addCheck() {
        const char* name = t_.getWord(1);
        t_.setCursor(3);
        KArgReader args(t_, skin_, diagnostics_ != nullptr);
        KCheck* check = createCheck(skin_.effect(), t_.getWord(2), args);
        if (!check)
            return ignore(args.reason());
        check->setName(name);
        if (diagnostics_) {
            warnAll(args.warnings());
            // Lookups find the first check of a name, compared over 35 characters.
            std::string key = std::string(name).substr(0, 35);
            auto [it, added] = checkLines_.emplace(key, line_);
            if (!added)
                warn("a check named '" + key + "' exists already (line " + std::to_string(it->second) +
                     "): conditions find that one, so this one is never used");
        }
        skin_.addCheck(std::unique_ptr<KCheck>(check));
    }

    void addResource() {
        const char* name = t_.getWord(1);
        t_.setCursor(2);
        std::unique_ptr<KResource> resource = factory_.CreateResource(t_);
        if (!resource)
            return ignore(factory_.lastFailure());
        resource->setName(name);
        if (diagnostics_) {
            warnAll(factory_.lastWarnings());
            noteDuplicateResource(*resource);
        }
        skin_.addResource(std::move(resource));
    }

    // Lookups find the first resource of a name and kind, so a second one of
    // the same kind is never used; one of another kind works but misleads.
    void noteDuplicateResource(const KResource& resource) {
        const std::string name = resource.getName();
        auto [it, added] = resourceLines_.emplace(name, ResourceLine{line_, resource.getClassName()});
        if (added)
            return;
        const ResourceLine& first = it->second;
        if (first.className == resource.getClassName())
            warn("a resource named '" + name + "' exists already (line " + std::to_string(first.line) +
                 "): lookups find that one, so this one is never used");
        else
            warn("'" + name + "' also names a resource of another kind (line " + std::to_string(first.line) +
                 "): each line that uses the name gets the one of the kind it wants");
    }

    void addControl(int first, const char* name) {
        KControlInit init;
        init.page = integer(first, "page");
        init.x = integer(first + 1, "x");
        init.y = integer(first + 2, "y");
        init.width = integer(first + 3, "width");
        init.height = integer(first + 4, "height");
        init.conditions = &condition_;
        init.effect = skin_.effect();
        init.host = &skin_;
        t_.setCursor(first + 5);
        std::unique_ptr<KControl> control = factory_.CreateControl(init, t_);
        if (!control)
            return ignore(controlFailure(first));
        if (name)
            control->setName(name);
        if (diagnostics_) {
            warnAll(factory_.lastWarnings());
            if (init.width <= 0 || init.height <= 0)
                warn("a control of " + std::to_string(init.width) + " x " + std::to_string(init.height) +
                     " is never drawn nor clicked (width and height must be above 0)");
            placed_.push_back(here(init.page));
        }
        skin_.addControl(std::move(control));
    }

    // A control type among the five numbers means one of them is missing;
    // that, not the type read from the wrong place, is the fault to name.
    std::string controlFailure(int first) const {
        if (!diagnostics_)
            return {};
        for (int i = 0; i < 5; ++i)
            if (KSkinFactory::isFrameworkControlType(t_.getWord(first + i)))
                return std::string("the ") + kControlArgs[i].what + " is missing ('" + t_.getWord(first + i) +
                       "' stands in its place)";
        return factory_.lastFailure();
    }

    void checkPage(const Placed& at, int page) {
        if (page > skin_.pageCount())
            warnAt(at, "page " + std::to_string(page) + ", but the skin has " + std::to_string(skin_.pageCount()) +
                           " page" + (skin_.pageCount() == 1 ? "" : "s") + ": never shown");
        else if (page < 0)
            warnAt(at, "page " + std::to_string(page) + " is never shown (pages count from 1; 0 is every page)");
    }

    void checkPlace(const Placed& at, int x, int y, int w, int h) {
        if (w <= 0 || h <= 0)
            return;  // told on its line
        const long long right = static_cast<long long>(x) + w, bottom = static_cast<long long>(y) + h;
        const int width = skin_.width(), height = skin_.height() - kFooterHeight;
        const std::string area = std::to_string(width) + " x " + std::to_string(height);
        if (x >= width || y >= skin_.height() || right <= 0 || bottom <= 0)
            warnAt(at, "lies outside the " + area + " editor: never seen");
        else if (x < 0 || y < 0 || right > width || bottom > height)
            warnAt(at, "reaches beyond the " + area + " editor (" + std::to_string(x) + ", " + std::to_string(y) +
                           " to " + std::to_string(right) + ", " + std::to_string(bottom) +
                           "): the part outside is cut off" + (bottom > height ? " or covers the footer" : ""));
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
                warn(std::string("no check named '") + t_.getWord(i) + "': left out of the condition");
                continue;
            }
            condition_.add(skin_.conditionRef(check, negate));
        }
    }

    struct ResourceLine {
        int line;
        std::string className;
    };

    KSkin& skin_;
    KSkinFactory& factory_;
    KTokenizer& t_;
    KSkinDiagnostics* diagnostics_;
    KConditionSet condition_;
    int line_ = 0;
    std::string joined_;
    bool ignored_ = false;
    std::vector<std::string> pending_;  // warnings about the current line's numbers
    // Kept only while diagnostics listen.
    int initLine_ = 0;
    Placed init_;
    bool afterCut_ = false;                // the line before was cut at the reader's length
    std::vector<std::string> lineFaults_;  // what became of the current line's text
    std::vector<Placed> placed_;  // one per control created, in order
    std::vector<Placed> backgrounds_;
    std::map<std::string, ResourceLine> resourceLines_;
    std::map<std::string, int> checkLines_;
};

}  // namespace

std::unique_ptr<KSkin> parseSkin(KByteSource& source, KEffect* effect, KSkinFactory* factory,
                                 KSkinDiagnostics* diagnostics) {
    auto skin = std::make_unique<KSkin>(effect);
    KSkinFactory defaultFactory(effect);
    KSkinFactory& f = factory ? *factory : defaultFactory;
    f.setSkin(skin.get());
    f.setListening(diagnostics != nullptr);
    ByteOrderMarkSkipper text(source);
    KTokenizer tokens(&text);
    Parser parser(*skin, f, tokens, diagnostics);
    parser.run();
    parser.finish();
    f.setSkin(nullptr);
    f.setListening(false);
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

std::unique_ptr<KSkin> loadSkinIn(const std::string& folder, KEffect* effect) {
    KSkinFactory factory(effect);
    factory.setFileFolder(folder);
    return loadSkinFrom((folder + kSkinFileName).c_str(), effect, &factory);
}

std::unique_ptr<KSkin> loadSkin(KEffect* effect, KSkinFactory* factory) {
    char path[kLibraryPathSize];
    bool fits = makeLibraryFilePath(path, sizeof path, kSkinFileName);
    return loadSkinFrom(fits ? path : nullptr, effect, factory);
}

}  // namespace kx
