// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a reference of the form file format is generated from: the registered classes and
// their property values as form files write them.

#include <string>
#include <vector>

#include "platform/vcl/properties.h"

namespace quillon {

// Every class registered for form files, by name.
std::vector<const TClassInfo*> RegisteredClasses();

// A property's value as form files write it after "Name = " (nested `depth` levels deep, for
// binary data that runs over several lines); "" for kinds written otherwise (string lists,
// sub-objects, references, events). Defined with the form file writer.
std::string FormatFormValue(const TPropInfo& p, const TPropValue& v, int depth = 0);

}  // namespace quillon
