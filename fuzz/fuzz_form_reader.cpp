// SPDX-License-Identifier: GPL-2.0-or-later
// Form files from outside: any bytes give a form or an error, never a crash;
// a form that was read writes out as a file that reads again.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/vcl/form_file.h"
#include "platform/vcl/forms.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillon;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TFormReadOptions options;
    options.fileName = "fuzz.form";
    options.ignoreMissingHandlers = true;
    options.unknownRootClass = &TForm::StaticClassInfo();
    auto root = CreateComponent(text, nullptr, options);
    if (!root) return 0;
    const std::string written = WriteComponent(**root);
    auto again = CreateComponent(written, nullptr, options);
    if (!again) __builtin_trap();
    return 0;
}
