#include "controls/param_edit.h"

#include "controls/effect_link.h"
#include "plugin/effect.h"

namespace kx {

double KParamEdit::value() const { return paramValue(effect_, param_); }

double KParamEdit::defaultValue() const { return paramDefault(effect_, param_); }

void KParamEdit::begin() const {
    if (effect_)
        effect_->beginEdit(param_);
}

void KParamEdit::end() const {
    if (effect_)
        effect_->endEdit(param_);
}

void KParamEdit::jump(double value) const {
    jumpWith([&] { store(value); });
}

void KParamEdit::step(double value) const {
    store(value);
    report();
}

void KParamEdit::store(double value) const {
    if (effect_)
        effect_->setParameterValue(param_, value);
}

void KParamEdit::report() const {
    if (effect_)
        effect_->automate(param_, static_cast<float>(effect_->getParameterValue(param_)));
}

}  // namespace kx
