// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/controls/Vex_controls.h"

#include "printsuite/controls/Totals.h"
#include "printsuite/controls/VexPanel.h"
#include "printsuite/controls/Vex_grid.h"
#include "printsuite/controls/Vex_lab.h"

namespace quillon {

void RegisterVexControlClasses() {
    // Building a class's information registers it.
    (void)TVex_Label::StaticClassInfo();
    (void)TVexPanel::StaticClassInfo();
    (void)TShowTotal::StaticClassInfo();
    (void)TVex_SortGrid::StaticClassInfo();
}

}  // namespace quillon
