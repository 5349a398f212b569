// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Every limit the program puts on outside input (page files, form files, images, texts,
// databases, command lines) in one place, with the reason it is there. Input past a limit is
// refused with a reason, never by running out of memory or time. Each reader names the limit
// it enforces, so a search for the constant finds every place that relies on it.

#include <cstddef>
#include <cstdint>

namespace quillon::limits {

// Form files: a larger file is refused before it is read. A form of the program is a few
// kilobytes; a grid of 100,000 rows written with its cells takes 10 to 30 MB.
inline constexpr std::uintmax_t kMaxFormFileBytes = std::uintmax_t{32} << 20;
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
// Form files: at most this many values (properties, list items and set elements; a property
// is read into a node of some 200 bytes, a string of a list into 32 bytes and its text, before
// a component takes it): a 20,000-object form holds a few hundred thousand, while 32 MB of
// "A=1" lines would ask for eight million. The cells of a grid's rows count toward
// kMaxGridCells instead.
inline constexpr int kMaxFormValues = 400'000;
// Form files: a single string (a caption, a hint, one line of a list) of at most this many
// bytes. Longer texts belong in many lines; a caption of megabytes costs the label's layout
// hundreds of megabytes on screen and minutes in print.
inline constexpr std::size_t kMaxFormString = std::size_t{1} << 20;
// A string grid read from a form file holds at most this many cells (rows times columns):
// the widget keeps a slot for every cell and the printer visits each one. 100,000 rows of ten
// columns fit; rows past the limit are cut, with a notice. A form file holds at most this many
// cells written in its grids' rows (some 100 bytes each while read, with their text).
inline constexpr std::int64_t kMaxGridCells = std::int64_t{1} << 20;
// A window on screen is at most this many pixels a side, whatever size its form file asks
// for: its backing image takes four bytes a pixel (64 MB at this size, terabytes at the
// coordinate limit).
inline constexpr int kMaxWindowSide = 4096;

// Texts: a memo, an edit or a caption keeps and prints text of any length. On screen, a memo
// line longer than this many UTF-16 units wraps at any character rather than at word
// boundaries: word wrapping costs about the square of the longest word, minutes for a line of
// a few hundred thousand characters without spaces.
inline constexpr int kMaxWordWrappedLine = 10000;

// Rendered images (render-page, previews of a page): a side longer than this is refused, and
// so is an image of more pixels than kMaxRenderPixels (48 M pixels, 192 MB at four bytes a
// pixel: a Letter or A4 page at 600 pixels per inch), which the side alone does not bound:
// 32,768 x 32,768 would be 4 GB.
inline constexpr int kMaxRenderSide = 32768;
inline constexpr std::int64_t kMaxRenderPixels = std::int64_t{48} << 20;

// Pictures decoded into memory (bitmaps of page files and forms, image files): at most this
// many pixels, 144 MB at four bytes a pixel. An A4 or Letter page scanned at 600 pixels per
// inch fits; a header asking for more is refused before anything is allocated.
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{36} << 20;

// A line of many points drawn with a wide pen is stroked in pieces of at most this many
// points: the outline of the whole, with every join, takes memory in proportion to the
// points and the pen's width (over a gigabyte for two million points).
inline constexpr int kMaxStrokedPoints = 4096;

// Rich text laid out by the text layout (forms' rich edits, on screen and printed). The layout
// costs far more than the parse: nested tables are laid out again for every table around them,
// every open element is searched on each new one, and a cell costs as much as a paragraph. A
// document is bounded before it is parsed: elements nested deeper than kMaxRichTextNesting lose
// their tags (their text stays), tables inside more than kMaxRichTextTableNesting tables are
// flattened to lines of text, and the document is cut after kMaxRichTextTableCells cells or
// kMaxRichTextChars characters of text (some 300 printed pages) or kMaxRichTextElements
// elements (each one a node of the parser, some hundreds of bytes). Lengths in style sheets and
// size attributes are held to kMaxRichTextLength (pixels or points: about 20 inches), spans
// of cells to kMaxRichTextSpan.
inline constexpr int kMaxRichTextNesting = 32;
inline constexpr int kMaxRichTextTableNesting = 4;
inline constexpr int kMaxRichTextTableCells = 20000;
inline constexpr std::int64_t kMaxRichTextChars = 1'000'000;
inline constexpr int kMaxRichTextElements = 200'000;
inline constexpr int kMaxRichTextLength = 2000;
inline constexpr int kMaxRichTextSpan = 100;
// Markdown: a line's run of quote and list marks, and a paragraph's emphasis, code and link
// marks (each one may be compared with every other), past these counts are taken as text.
inline constexpr int kMaxMarkdownLinePrefix = 64;
inline constexpr int kMaxMarkdownMarks = 2000;
// Pictures a rich text names: files past this size are not read (nor anything that is not a
// regular file), and pictures of more pixels are not decoded (64 MB at four bytes a pixel).
inline constexpr std::int64_t kMaxRichTextImageBytes = std::int64_t{16} << 20;
inline constexpr std::int64_t kMaxRichTextImagePixels = std::int64_t{16} << 20;

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
