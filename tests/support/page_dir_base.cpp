// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/page_dir_base.h"

#include <stdlib.h>

#include <filesystem>
#include <system_error>

#include "platform/sys/temp_dir.h"

namespace quillon::testing {

ScopedPageDirBase::ScopedPageDirBase() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/quillon-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return;
    path_ = pattern;
    SetTempDirBaseForTesting(path_);
}

ScopedPageDirBase::~ScopedPageDirBase() {
    if (path_.empty()) return;
    SetTempDirBaseForTesting("");
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace quillon::testing
