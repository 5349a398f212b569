// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Form files: the text format in which forms and components are stored.
//
//   object CalcFrm: TCalcFrm
//     Caption = 'Quillon'#13#10'second line'
//     Font.Style = [fsBold]
//     Color = clBtnFace
//     object MthBtn: TButton
//       Left = 424
//       OnClick = MthBtnClick
//     end
//   end
//
// Values: integers (also $hex), decimals, strings in single quotes ('' is a
// quote; #nn or #$hh outside the quotes is the character of that code; parts
// may be joined with +), identifiers (enumerations, colours, True/False,
// references to components, handler names), sets [a, b], lists ( 'a' 'b' ) and
// binary data { 0AFF... }.
//
// Reading is in two steps: ParseFormText checks the syntax into a tree (it
// knows no classes), ReadComponent/CreateComponent create and set components
// from it through the class registry and the property tables. Every fault is an
// Error whose reason reads "file:line: reason"; nothing in a file can crash the
// reader, and no file makes more objects than limits::kMaxFormObjects.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/limits.h"
#include "platform/sys/result.h"

namespace quillon {

class TComponent;
class TClassInfo;

// Where and why a form file was refused; the Error of the readers carries its Text().
struct TFormError {
    std::string file;
    int line = 0;
    std::string reason;
    // "file:line: reason"
    std::string Text() const;
    Error ToError() const { return Error{Text()}; }
};

struct TFormProperty;

struct TFormValue {
    enum Kind { Integer, Float, String, Ident, Set, List, Binary, Collection };
    Kind kind = Integer;
    int line = 0;
    int itemLine = 0;  // List: the line of its first item
    std::int64_t integer = 0;
    double real = 0;
    std::string text;  // String, Ident (dotted: "Form1.Edit1")
    // Set: its elements. List: its leading run of strings (a memo's lines, a grid row's cells),
    // kept as one vector of texts rather than a value each, since lists of strings are where
    // files hold their hundreds of thousands of values.
    std::vector<std::string> strings;
    // List: the items after that run, from the first that is not a string on (numbers, the
    // rows of a table), each with its line.
    std::vector<TFormValue> items;
    std::vector<std::vector<TFormProperty>> collection;  // Collection: each item's properties
    std::vector<std::uint8_t> bytes;                     // Binary
};

struct TFormProperty {
    std::string path;  // "Font.Height"
    TFormValue value;
    int line = 0;
};

struct TFormObject {
    std::string name;
    std::string className;
    int line = 0;
    std::vector<TFormProperty> properties;
    std::vector<TFormObject> children;
};

// Objects nested deeper than this are refused (a hostile file must not exhaust
// the stack of the reader).
inline constexpr int kMaxFormNesting = limits::kMaxFormNesting;

// A file holding more objects than this is refused before any is created.
inline constexpr int kMaxFormObjects = limits::kMaxFormObjects;

// Syntax only: the tree of the file's root object. `fileName` names the text in
// error messages.
Result<TFormObject> ParseFormText(std::string_view text, std::string_view fileName);

struct TFormReadOptions {
    std::string fileName = "<form>";
    // Handlers named in the file that the root does not define are left unbound
    // instead of being an error (for showing a form without its program).
    bool ignoreMissingHandlers = false;
    // CreateComponent: a root class that is not registered is created as this
    // class instead of being an error (nullptr: an error).
    const TClassInfo* unknownRootClass = nullptr;
};

// Reads the file into an existing root: the file's root class must be the
// root's class or one of its bases. Components created for the file's objects
// are owned by `root`, so they remain after an error (with the properties read
// up to the fault). Answers the first fault.
Result<void> ReadComponent(std::string_view text, TComponent& root,
                           const TFormReadOptions& options = {});
Result<void> ReadComponent(const TFormObject& tree, TComponent& root,
                           const TFormReadOptions& options = {});

// Creates the root from the class registry (owned by `owner`, may be nullptr)
// and reads the file into it; on a fault nothing is kept. The root is never null.
Result<std::unique_ptr<TComponent>> CreateComponent(std::string_view text, TComponent* owner,
                                                    const TFormReadOptions& options = {});

// The text of `root` and everything it holds, writing only values that differ
// from their stored defaults.
std::string WriteComponent(const TComponent& root);

// The file name (TFormReadOptions::fileName) of the form file being read, "" when
// none is: components that name files relative to their form (a table's
// database) resolve them against its folder in Loaded.
const std::string& FormFileBeingRead();

// The line of the object whose component the reader is loading (inside its Loaded), 0 at any
// other time: a component that may fail later (a dataset that stops reading while printing)
// keeps it to say where it came from.
int FormLineBeingLoaded();

// Checks the reader runs once every component of a file is loaded. The first component, in the
// order of the file, for which a check answers a reason refuses the file with that reason at
// the line of its object. A layer that knows such faults (a dataset that does not open, a
// control naming a field its dataset does not have) adds its check when it registers its
// classes; adding the same check again changes nothing.
using TLoadCheck = std::string (*)(const TComponent& component);
void AddLoadCheck(TLoadCheck check);

// Quoting of one text value as the writer puts it ('it''s'#13#10).
std::string QuoteFormString(std::string_view text);

}  // namespace quillon
