// SPDX-License-Identifier: GPL-2.0-or-later
// The classes of the platform layer that form files may name. Their class
// information registers itself when first built; FindClass builds all of them
// before its first look-up, so no registration depends on static
// initialisation order or on which object files the linker keeps.

#include <mutex>

#include "platform/vcl/components.h"
#include "platform/vcl/dialogs.h"
#include "platform/vcl/ext_controls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/properties.h"
#include "platform/vcl/std_controls.h"

namespace quillon {

void RegisterPlatformClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        const TClassInfo* all[] = {
            &TForm::StaticClassInfo(),        &TLabel::StaticClassInfo(),
            &TEdit::StaticClassInfo(),        &TMaskEdit::StaticClassInfo(),
            &TMemo::StaticClassInfo(),        &TButton::StaticClassInfo(),
            &TBitBtn::StaticClassInfo(),      &TCheckBox::StaticClassInfo(),
            &TRadioButton::StaticClassInfo(), &TGroupBox::StaticClassInfo(),
            &TRadioGroup::StaticClassInfo(),  &TComboBox::StaticClassInfo(),
            &TScrollBox::StaticClassInfo(),   &TShape::StaticClassInfo(),
            &TBevel::StaticClassInfo(),       &TImage::StaticClassInfo(),
            &TStringGrid::StaticClassInfo(),  &TRichEdit::StaticClassInfo(),
            &TPanel::StaticClassInfo(),       &TPrintDialog::StaticClassInfo(),
        };
        (void)all;
    });
}

}  // namespace quillon
