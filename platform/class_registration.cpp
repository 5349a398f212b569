// The classes of the platform layer that form files may name. Their class
// information registers itself when first built; FindClass builds all of them
// before its first look-up, so no registration depends on static
// initialisation order or on which object files the linker keeps.

#include <mutex>

#include "platform/components.h"
#include "platform/properties.h"

namespace quillon {

void RegisterPlatformClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        const TClassInfo* all[] = {
            &TComponent::StaticClassInfo(),
        };
        (void)all;
    });
}

}  // namespace quillon
