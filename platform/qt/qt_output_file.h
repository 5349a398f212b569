// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A file written by one of Qt's writers (a PDF, an image) as every output is: beside its name
// until it is whole, then renamed into place (see platform/sys/files.h). Dropped without
// Commit, it leaves nothing and what had the name before stays.

#include <QFile>
#include <memory>
#include <string>

#include "platform/sys/files.h"
#include "platform/sys/result.h"

namespace quillon {

class QtOutputFile {
  public:
    // Reasons: "cannot write 'PATH': why".
    static Result<std::unique_ptr<QtOutputFile>> Open(const std::string& path);

    // Where the writer writes.
    QIODevice* Device() { return &device_; }
    // Flushes what the writer wrote and gives the file its name.
    Result<void> Commit();

  private:
    explicit QtOutputFile(AtomicFile file) : file_(std::move(file)) {}

    AtomicFile file_;
    QFile device_;  // on the new file's descriptor, which the AtomicFile owns
};

}  // namespace quillon
