// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Files a user names (a form's database, a form, an image) are opened through one call that
// never blocks and takes only regular files: a FIFO would hang the reader for ever, and a
// device or a directory would feed it endless bytes or none.

#include <string>

#include "platform/sys/result.h"
#include "platform/sys/temp_dir.h"

namespace quillon {

// Opens `path` read-only (links followed) without blocking, and keeps it open only when it
// is a regular file. The reason of a refusal is one short phrase without the path:
// "no such file", "not a regular file", "permission denied", ...
Result<UniqueFd> OpenRegularFile(const std::string& path);

}  // namespace quillon
