// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A fresh directory for one test in which the process makes its private page directory;
// the default place is restored, and the directory removed with everything in it, at the end.

#include <string>

namespace quillon::testing {

class ScopedPageDirBase {
  public:
    ScopedPageDirBase();
    ~ScopedPageDirBase();
    ScopedPageDirBase(const ScopedPageDirBase&) = delete;
    ScopedPageDirBase& operator=(const ScopedPageDirBase&) = delete;

    // Empty when the directory could not be made (the test should stop then).
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace quillon::testing
