// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The suite's screen controls: the shadow label, the image panel and the totals box.

namespace quillon {

// Makes TVex_Label, TVexPanel and TShowTotal known to form files by name.
void RegisterVexControlClasses();

}  // namespace quillon
