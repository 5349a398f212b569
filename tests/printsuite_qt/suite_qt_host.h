// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Qt host every test of this executable runs in (started once, without a display).

#include "platform/qt/qt_host.h"

namespace quillon::suiteqt {

QtHost& SuiteHost();

}  // namespace quillon::suiteqt

namespace quillon {
using suiteqt::SuiteHost;
}  // namespace quillon
