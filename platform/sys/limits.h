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
// Form files: at most this many values (properties, list items and set elements, each read
// into a node of some 170 bytes before a component takes it): a 20,000-object form holds
// a few hundred thousand, while 16 MB of "A=1" lines would ask for four million.
inline constexpr int kMaxFormValues = 400'000;
// Form files: a single string (a caption, a hint, one line of a list) of at most this many
// bytes. Longer texts belong in many lines; a caption of megabytes costs the label's layout
// hundreds of megabytes on screen and minutes in print.
inline constexpr std::size_t kMaxFormString = std::size_t{1} << 20;
// A string grid read from a form file holds at most this many cells (rows times columns):
// the widget keeps a slot for every cell and the printer visits each one. 100,000 rows of ten
// columns fit; rows past the limit are cut, with a notice.
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

}  // namespace quillon::limits
