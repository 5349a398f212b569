// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The printing commands of the print job and the preview:
//   quillon print-text [OPTIONS] FILE...   text files, word-wrapped, with header and footer
//   quillon view [OPTIONS] FILE.emf...     page files in the preview, or printed
//   quillon printers                        the printers the program sees

#include <string>
#include <string_view>
#include <vector>

#include "app/commands.h"
#include "platform/gdi/graphics.h"
#include "platform/sys/result.h"

namespace quillon {

class TPrintWin;

cli::Command PrintTextCommand(const QtCommands& qt);
cli::Command ViewCommand(const QtCommands& qt);
cli::Command PrintersCommand(const QtCommands& qt);

// Checks that `path` is a text file print-text can print: readable, a regular file, not
// empty, no larger than limits::kMaxPrintTextBytes and without NUL bytes.
Result<void> CheckTextFile(const std::string& path);

// Draws the text files into the open job: each file from a new page with its name as the
// header's left text (unless `headerLeft` is given), lines word-wrapped to the printable
// width, a new page when the page is full or at a form feed; the body font is a fixed-pitch
// face at `fontSizePoints`.
Result<void> DrawTextFiles(TPrintWin& job, const std::vector<std::string>& files,
                           double fontSizePoints, bool keepHeaderLeft);

// Where `view` puts a picture made elsewhere on a printer page: at its true size (`picture`,
// printer pixels), on the orientation whose printable area (`portrait`, `landscape`) shows it
// largest (the one of its own shape when it fits both), centred, shrunk to fit when larger.
struct PicturePlacement {
    bool landscape = false;
    TRect rect;  // printer pixels within the printable area, right and bottom exclusive
};
PicturePlacement PlacePicture(TSize picture, TSize portrait, TSize landscape);
// The same on a page whose orientation is already chosen.
TRect PlacePictureIn(TSize picture, TSize area);

// The body font of print-text and its size when --font-size is not given.
inline constexpr const char* kTextFace = "Courier New";
inline constexpr double kDefaultTextPoints = 10.0;

}  // namespace quillon
