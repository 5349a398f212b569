// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The reference of form files that `quillon help forms` and `quillon help classes [CLASS]`
// print: the format in words, and the classes with their properties as the class registry
// has them (so the reference cannot drift from what the reader takes).

#include <string>
#include <string_view>

#include "platform/sys/result.h"

namespace quillon {

// The form file format.
std::string FormsHelpText();

// Every class a form file may name, with its published properties, their types and stored
// defaults; with `className`, that class alone (an error for a name that is no class).
Result<std::string> ClassesHelpText(std::string_view className = {});

}  // namespace quillon
