// The LV2 editor: the effect's own editor, opened in the host's window
// (ui:parent) on the instance the host shares (instance-access), ticked by
// the host's idle calls. What the editor changes reaches the host as port
// writes in the port's values; what the host changes reaches the editor.
#include "editor/editor.h"
#include "editor/editor_window.h"
#include "formats/lv2/lv2_instance.h"
#include "formats/lv2/lv2_plugin.h"
#include "formats/lv2/lv2_ports.h"
#include "formats/lv2/lv2_uris.h"
#include "plugin/effect.h"

#include "lv2/instance-access/instance-access.h"

#include <cstring>
#include <memory>

namespace kx::lv2 {

namespace {

struct Ui : UiLink {
    Instance* instance = nullptr;
    LV2UI_Write_Function write = nullptr;
    LV2UI_Controller controller = nullptr;
    const LV2UI_Resize* resize = nullptr;
    const LV2UI_Touch* touch = nullptr;
};

VstIntPtr dispatch(Instance& instance, VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr) {
    return instance.effect->dispatcher(instance.effect, opcode, 0, value, ptr, 0.0f);
}

const KParam* paramAt(const Instance& instance, int index) {
    return index >= 0 && index < kSynthParamCount && instance.object ? instance.object->getParam(index) : nullptr;
}

void editorChanged(UiLink* link, int index, float normalised) {
    auto* ui = static_cast<Ui*>(link);
    const KParam* param = paramAt(*ui->instance, index);
    if (!param || !ui->write)
        return;
    const float value = static_cast<float>(toPortValue(*param, normalised));
    ui->write(ui->controller, kFirstParamPort + static_cast<uint32_t>(index), sizeof value, 0, &value);
}

void editorGesture(UiLink* link, int index, bool begins) {
    auto* ui = static_cast<Ui*>(link);
    if (ui->touch && paramAt(*ui->instance, index))
        ui->touch->touch(ui->touch->handle, kFirstParamPort + static_cast<uint32_t>(index), begins);
}

void editorResized(UiLink* link, int width, int height) {
    auto* ui = static_cast<Ui*>(link);
    if (ui->resize)
        ui->resize->ui_resize(ui->resize->handle, width, height);
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features) {
    void* parent = nullptr;
    Instance* instance = nullptr;
    auto ui = std::make_unique<Ui>();
    for (int i = 0; features && features[i]; ++i) {
        const char* uri = features[i]->URI;
        if (std::strcmp(uri, LV2_UI__parent) == 0)
            parent = features[i]->data;
        else if (std::strcmp(uri, LV2_INSTANCE_ACCESS_URI) == 0)
            instance = static_cast<Instance*>(features[i]->data);
        else if (std::strcmp(uri, LV2_UI__resize) == 0)
            ui->resize = static_cast<const LV2UI_Resize*>(features[i]->data);
        else if (std::strcmp(uri, LV2_UI__touch) == 0)
            ui->touch = static_cast<const LV2UI_Touch*>(features[i]->data);
    }
    if (!parent || !instance || !instance->effect || !instance->object || instance->ui ||
        std::strcmp(pluginUri, KX_LV2_URI) != 0)
        return nullptr;
    ui->instance = instance;
    ui->write = write;
    ui->controller = controller;
    ui->changed = editorChanged;
    ui->gesture = editorGesture;
    ui->resized = editorResized;
    ERect* rect = nullptr;
    if (!dispatch(*instance, effEditGetRect, 0, &rect) || !rect)
        return nullptr;
    if (!dispatch(*instance, effEditOpen, 0, parent))
        return nullptr;
    KEditor* editor = instance->object->getSkinEditor();
    KEditorWindow* window = editor ? editor->window() : nullptr;
    *widget = reinterpret_cast<LV2UI_Widget>(window ? window->hwnd() : 0);
    instance->ui = ui.get();
    editorResized(ui.get(), rect->right - rect->left, rect->bottom - rect->top);
    return ui.release();
}

void cleanup(LV2UI_Handle handle) {
    auto* ui = static_cast<Ui*>(handle);
    ui->instance->ui = nullptr;
    dispatch(*ui->instance, effEditClose);
    delete ui;
}

// The host's port values: a control that shows another value than the
// effect holds takes the port's (the effect then repaints the editor).
void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    auto* ui = static_cast<Ui*>(handle);
    const int index = static_cast<int>(port) - static_cast<int>(kFirstParamPort);
    const KParam* param = paramAt(*ui->instance, index);
    if (!param || format != 0 || size != sizeof(float) || !buffer)
        return;
    float value = 0.0f;
    std::memcpy(&value, buffer, sizeof value);
    AEffect* effect = ui->instance->effect;
    if (static_cast<float>(toPortValue(*param, effect->getParameter(effect, index))) == value)
        return;
    effect->setParameter(effect, index, static_cast<float>(fromPortValue(*param, value)));
}

int idle(LV2UI_Handle handle) {
    dispatch(*static_cast<Ui*>(handle)->instance, effEditIdle);
    return 0;
}

const void* extensionData(const char* uri) {
    static const LV2UI_Idle_Interface idler = {idle};
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0)
        return &idler;
    return nullptr;
}

}  // namespace

const LV2UI_Descriptor* uiDescriptor() {
    static const LV2UI_Descriptor descriptor = {KX_LV2_UI_URI, instantiate, cleanup, portEvent, extensionData};
    return &descriptor;
}

}  // namespace kx::lv2
