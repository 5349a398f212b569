// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program's own form files, compiled into the binary (app/forms/*.form).

#include <string_view>

namespace quillon {

// The text of the form file of that name ("CalcFrm.form"); empty when the
// program has none of that name.
std::string_view EmbeddedFormText(std::string_view fileName);

}  // namespace quillon
