// KEffect: the framework's effect base. It holds the parameter list, the
// program bank, the command list and the speaker arrangements, answers the
// host's requests from them, and declares the hooks a product overrides.
//
// Threads: the host's audio thread calls processEvents and processing; its
// user-interface thread calls the editor requests; parameter changes come
// from both and are written straight into the bank (no lock). The text and
// identity hooks may be called from any thread and must not allocate.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "params/param_list.h"
#include "params/program_bank.h"
#include "plugin/audio_effect_x.h"
#include "plugin/display_value.h"

namespace kx {

class KEditor;
class KSkin;

class KEffect : public AudioEffectX {
public:
    KEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    ~KEffect() override;

    // ---- Hooks a product overrides (in this order) ------------------------
    // Identity texts; null when the product has none.
    virtual const char* getEffectNameText() { return nullptr; }
    virtual const char* getVendorText() { return nullptr; }
    virtual const char* getProductText() { return nullptr; }
    virtual const char* getPlugVersion() { return nullptr; }
    virtual const char* getPlugBuild() { return nullptr; }
    virtual const char* getBuildDate() { return nullptr; }
    virtual const char* getPlatform() { return nullptr; }
    // Audio thread: one queued MIDI event at its sample.
    virtual void processMidiEvent(const VstMidiEvent* event) { (void)event; }
    // User-interface thread, from the editor.
    virtual void editorOpened() { editorOpen_ = true; }
    virtual void editorClosed() { editorOpen_ = false; }
    // User-interface thread: a skin control fired a command.
    virtual void executeCommand(int commandNumber, bool shift, bool control) {
        (void)commandNumber;
        (void)shift;
        (void)control;
    }
    // Empties queued events, releases the voice and re-applies parameters.
    virtual void resetEngine() = 0;
    virtual bool supportsIo(int inputs, int outputs) = 0;
    // Copies `text` into `output` (size bytes, always terminated) with each
    // "${name}" replaced by the variable's value.
    virtual void expandVariables(char* output, int size, const char* text);
    // Called after every parameter change; re-reads the current program.
    virtual void parametersChanged(int flag) = 0;
    virtual void parameterChanged(int index) { (void)index; }
    // Copies the current program's record over the target's.
    virtual bool copyProgram(int target);
    // Fills the bank from the named embedded preset text.
    virtual void loadPresets(const char* fileName);
    // The value of a named host/build variable, or the empty text.
    virtual void getVariable(char* output, int size, const char* name);

    // ---- Parameter and program access ---------------------------------------
    // Any thread. Indices outside the list are ignored (0 for reads).
    void setParameterValue(int index, double normalised);
    void setParameterReal(int index, double real);
    double getParameterValue(int index) const;
    // Case-insensitive whole-name search; -1 when absent.
    int findParameter(const char* name) const;
    KParam* getParam(int index) const { return params_.get(index); }
    KParamList& getParamList() { return params_; }
    const KParamList& getParamList() const { return params_; }
    KCommandList& getCommandList() { return commands_; }
    const KCommandList& getCommandList() const { return commands_; }
    KProgramBank& getBank() { return bank_; }
    const KProgramBank& getBank() const { return bank_; }
    int getCurrentProgram() const { return curProgram; }
    bool isEditorOpen() const { return editorOpen_; }
    bool isBypassed() const { return bypass_; }
    const VstSpeakerArrangement& getInputArrangement() const { return inputArrangement_; }
    const VstSpeakerArrangement& getOutputArrangement() const { return outputArrangement_; }

    // ---- Skin, editor and display values ---------------------------------------
    // The skin of the effect's editor (null without one); the editor owns it.
    KSkin* getSkin() const { return skin_; }
    // The editor showing the skin; null without one.
    KEditor* getSkinEditor() const { return skinEditor_; }
    // Takes `editor` as the effect's editor (null: none) and sets
    // effFlagsHasEditor accordingly; `shown` is the same editor as the one
    // showing `skin`. The editor layer makes both (useSkin in
    // editor/load_skin.h). User-interface thread, with the old editor closed.
    void setSkinEditor(std::unique_ptr<AEffEditor> editor, KEditor* shown, KSkin* skin);
    // Asks the editor for a throttled repaint; any thread, never blocks. The
    // request waits here until the editor's idle takes it, so that no thread
    // but the user interface's ever calls the editor.
    void refreshEditor() { editorRefresh_.store(true, std::memory_order_release); }
    // The editor's side: whether a repaint was asked for since the last call.
    bool takeEditorRefresh() { return editorRefresh_.exchange(false, std::memory_order_acq_rel); }
    // Values published for the skin's meters; the effect keeps the data
    // current, the records only point at it.
    void addDisplayValue(std::unique_ptr<KDisplayValue> value);
    // First value of that name (exact) and type; null when absent.
    const KDisplayValue* findDisplayValue(const char* name, KDisplayValueType type) const;

    // ---- VST requests ---------------------------------------------------------
    void setProgram(VstInt32 program) override;
    void setProgramName(const char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void suspend() override;
    void resume() override;
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;
    bool canParameterBeAutomated(VstInt32 index) override;
    bool string2parameter(VstInt32 index, const char* text) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    bool setSpeakerArrangement(VstSpeakerArrangement* inputs, VstSpeakerArrangement* outputs) override;
    bool getSpeakerArrangement(VstSpeakerArrangement** inputs, VstSpeakerArrangement** outputs) override;
    bool setBypass(bool onOff) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    // The framework's layer: the ten "NinMout" texts ask supportsIo, all
    // else is 0.
    VstInt32 canDo(const char* text) override;

protected:
    // Builds the bank from the parameter list; call once all parameters exist.
    void buildBank() { bank_.build(&params_); }
    // Stores a parameter at its index, growing the list when needed.
    void addParam(int index, KParam* param);

private:
    // Refreshes the value's texts and tells the product about the change.
    void valueChanged(int index);

    KParamList params_{kEffectListGrowStep};
    KProgramBank bank_;
    KCommandList commands_{kEffectListGrowStep};
    bool editorOpen_ = false;
    VstSpeakerArrangement inputArrangement_;
    VstSpeakerArrangement outputArrangement_;
    bool bypass_ = false;
    std::vector<std::unique_ptr<KDisplayValue>> displayValues_;
    // Both owned by the editor (AudioEffect::editor), which is destroyed
    // before the lists they refer to.
    KSkin* skin_ = nullptr;
    KEditor* skinEditor_ = nullptr;
    std::atomic<bool> editorRefresh_{false};
};

// Constructs the product's effect; defined once by the product.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);

}  // namespace kx
