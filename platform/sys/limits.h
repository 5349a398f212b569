// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Every limit the program puts on outside input (page files, form files, images, texts,
// databases, command lines) in one place, with the reason it is there. Input past a limit is
// refused with a reason, never by running out of memory or time. Each reader names the limit
// it enforces, so a search for the constant finds every place that relies on it.

#include <cstddef>
#include <cstdint>

namespace quillon::limits {

// Form files: objects nested deeper than this are refused (a recursive reader's stack).
inline constexpr int kMaxFormNesting = 200;

// Page lists: an element is read up to this many characters (the rest of it is ignored), and
// the upper bound of a range up to kMaxListUpperBound characters after its "-".
inline constexpr std::size_t kMaxListElement = 255;
inline constexpr std::size_t kMaxListUpperBound = 20;

// Drawing state saved and not yet restored (SaveDC). Each level holds a copy of the whole
// state, so a page file of nothing but saves would otherwise grow without bound.
inline constexpr std::size_t kMaxSavedStates = 10'000;
// A device context takes that many and a few more: the program saves around what it plays (a
// page into a preview, an image, a printer), so a page within the limit plays on every one.
inline constexpr std::size_t kMaxContextSavedStates = kMaxSavedStates + 64;

// Pixels of a JPEG or PNG image inside a metafile's bitmap record (and of an image in a
// metafile's extended records): 32 MB of pixels, checked against the size the record
// announces before decoding.
inline constexpr std::int64_t kMaxEmbeddedImagePixels = std::int64_t{8} << 20;

// Rich text documents read from a file: larger ones are refused before they are read (the
// text layout holds several copies of a document).
inline constexpr std::int64_t kMaxRichTextBytes = std::int64_t{64} << 20;

// Text files printed by print-text: larger ones are refused before a page is drawn (at about
// 3 KB a page, this is some 20,000 pages).
inline constexpr std::int64_t kMaxPrintTextBytes = std::int64_t{64} << 20;

// Form files: at most this many objects (each one a component, and most a widget). A form of
// the program holds a few hundred; 16 MB of text could ask for close to a million, whose
// creation and display alone would take minutes.
inline constexpr int kMaxFormObjects = 20000;

// Texts: a memo, an edit or a caption keeps and prints text of any length. On screen, a memo
// line longer than this many UTF-16 units wraps at any character rather than at word
// boundaries: word wrapping costs about the square of the longest word, minutes for a line of
// a few hundred thousand characters without spaces.
inline constexpr int kMaxWordWrappedLine = 10000;

// Rendered images (render-page, previews of a page): a side longer than this is refused, and
// so is an image of more pixels than kMaxRenderPixels (256 M pixels, 1 GB at four bytes a
// pixel), which the side alone does not bound: 32,768 x 32,768 would be 4 GB.
inline constexpr int kMaxRenderSide = 32768;
inline constexpr std::int64_t kMaxRenderPixels = std::int64_t{256} << 20;

// Standard input read as a file (a `-` for a file operand): kept in a private file first,
// up to the largest of the file limits above.
inline constexpr std::int64_t kMaxStdinBytes = std::int64_t{64} << 20;

// Thumbnails (file managers run the program on every page file they list, also on hostile
// ones): a larger file gets none, a side is at most this long, and the work is ended after
// this many seconds or when it needs more address space than this.
inline constexpr std::int64_t kMaxThumbnailInputBytes = std::int64_t{32} << 20;
inline constexpr int kMaxThumbnailSide = 2048;
inline constexpr unsigned kThumbnailSeconds = 10;
inline constexpr std::int64_t kThumbnailAddressSpace = std::int64_t{2} << 30;

// Image files named by rich text: larger ones are left out before they are read.
inline constexpr std::size_t kMaxImageFileBytes = std::size_t{64} << 20;

// Settings files: a larger one is neither read nor rewritten (the store's own values take a
// few hundred bytes; a file of this size holds some 100,000 lines of other programs' keys).
inline constexpr std::size_t kMaxSettingsFileBytes = std::size_t{4} << 20;

// The page store keeps this much of the temporary folder's file system free: a job that would
// use more ends with a message and its pages removed, rather than filling the disk for every
// other program. A twentieth of the file system when that is less (a small RAM disk).
inline constexpr std::int64_t kTempReserveBytes = std::int64_t{64} << 20;

// Databases (SQLite) that forms name.
// A value SQLite makes or reads is refused beyond this size ("string or blob too big"): SQLite
// holds a value whole in memory while a row is read, and randomblob() or a 900 MB cell would
// otherwise take that much.
inline constexpr int kMaxDatabaseValueBytes = 64 << 20;
// What the program copies of one value: a text beyond this is cut (at a character boundary);
// nothing prints or shows more of one cell. A blob (a picture) is kept whole up to
// kMaxCellBlobBytes, a larger one is dropped. A grid keeps a window of rows of such values.
inline constexpr int kMaxCellTextBytes = 64 << 10;
inline constexpr int kMaxCellBlobBytes = 4 << 20;
// Work SQLite may do for one request of the program (opening a dataset, a step to a record,
// a window of rows), in virtual-machine instructions counted by its progress handler: about
// a second on a slow machine. A query that never ends is stopped there.
inline constexpr std::int64_t kMaxQueryInstructions = 100'000'000;
// Waiting for a writer that holds the database locked.
inline constexpr int kDatabaseBusyMilliseconds = 1000;

}  // namespace quillon::limits
