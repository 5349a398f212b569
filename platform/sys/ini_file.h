// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The settings store's files: INI text, "[Section]" lines and "Name=value" lines, in the
// format the toolkit's settings class reads and writes (names with characters other than
// letters, digits, '-', '_' and '.' escaped as "%20", values quoted with backslash escapes when
// they need it), so files written before stay readable.
//
// A file is read whole, bounded by kMaxSettingsFileBytes, and only the value asked for is
// decoded: a file of many thousands of foreign keys costs one scan, not a parse into a map.
// A value is written by rewriting the file through an atomic write (a new file beside it,
// renamed into place): every other line is kept as it was, a link in the file's place is
// replaced and never followed. A settings file that is not a regular file (a FIFO, a device,
// a directory) is neither read nor written; the store says so once and works without it.

#include <optional>
#include <string>

#include "platform/sys/result.h"

namespace quillon {

// Why a settings file was not used; reported once per file by the store (nullptr: stderr).
using SettingsNoticeFn = void (*)(const std::string& line);
void SetSettingsNotice(SettingsNoticeFn notice);

// The value `name` of section `section` in the INI file `path`; nullopt when the file, the
// section or the value is not there or the file cannot be used.
std::optional<std::string> ReadIniValue(const std::string& path, const std::string& section,
                                        const std::string& name);
// Sets the value (nullopt: removes it) and writes the file; the folder is made when missing.
Result<void> WriteIniValue(const std::string& path, const std::string& section,
                           const std::string& name, const std::optional<std::string>& value);

// The text of a value or a name in the file's escaping, and back (exposed for tests).
std::string EscapeIniName(const std::string& name);
std::string EscapeIniValue(const std::string& value);
std::string UnescapeIniName(const std::string& text);
std::string UnescapeIniValue(const std::string& text);

}  // namespace quillon
