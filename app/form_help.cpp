// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/form_help.h"

#include <algorithm>
#include <vector>

#include "app/startup.h"
#include "platform/data/db.h"
#include "platform/sys/sysutils.h"
#include "platform/vcl/class_list.h"
#include "platform/vcl/form_lists.h"
#include "platform/vcl/properties.h"

namespace quillon {

std::string FormsHelpText() {
    return R"(Form files: what print-form and show-form read

A form file describes one window and the controls inside it, as nested objects:

  object Report: TForm
    ClientWidth = 600
    ClientHeight = 400
    Color = clWhite
    object Title: TLabel
      Left = 24
      Top = 12
      Caption = 'Members'
      Font.Height = -20
      Font.Style = [fsBold]
    end
  end

- `object NAME: CLASS` ... `end` makes one component of a registered class; objects
  inside it are its children (controls placed on it, or components it owns). The
  first object is the window; it may be any window control (a form, a panel).
- One `Property = value` per line. Sub-objects are reached with dots
  (`Font.Height`, `Pen.Color`, `Brush.Style`).
- Values: integers (`12`, `-13`); numbers (`0.5`); strings in single quotes, a quote
  doubled, control characters as #NN between pieces ('it''s'#13#10'next'); long strings
  joined with `+` at line ends; True and False; identifiers of enumerations
  (`taRightJustify`); sets in brackets (`[fsBold, fsItalic]`); colours by name (`clWhite`)
  or as `$00BBGGRR`; lists of strings (`Lines.Strings = ( 'one' 'two' )`); lists of
  integers (`ColWidths = ( 64 120 )`); binary data in braces (`{ 0A1B }`); another
  component of the form by its name (`DataSource = Src`); an event by its handler name.
- Coordinates and sizes are screen pixels at 96 per inch; font heights are pixels
  (negative: the height of the characters, positive: of the whole line).
- A property that is not written keeps its stored default; `quillon help classes CLASS`
  lists every property of a class with its type and default.
- A table or query names its SQLite database by a path relative to the form file.
- Grids: a string grid takes its cells row by row,
    Cells = (
      ('Name' 'Fee')
      ('Ann' '12.50'))
  and a data grid its columns as a collection of items:
    Columns = <
      item
        FieldName = 'NAME'
        Title.Caption = 'Member'
        Width = 120
      end
      item
        Alignment = taRightJustify
        FieldName = 'FEE'
      end>

Errors name the file and line: "members.form:12: unknown property 'Colour' of TLabel".
docs/forms.md has a worked example of each kind of control.
)";
}

namespace {

std::string TypeName(const TPropInfo& p) {
    switch (p.kind) {
        case TPropKind::Integer:
            return "Integer";
        case TPropKind::Float:
            return "Double";
        case TPropKind::String:
            return "String";
        case TPropKind::Boolean:
            return "Boolean";
        case TPropKind::Enum:
            return std::string(p.enumInfo->typeName);
        case TPropKind::Set:
            return "set of " + std::string(p.enumInfo->typeName);
        case TPropKind::Color:
            return "TColor";
        case TPropKind::Strings:
            return "TStrings";
        case TPropKind::IntList:
            return "list of Integer";
        case TPropKind::Binary:
            return "binary";
        case TPropKind::Object:
            return p.objectClass ? p.objectClass->Name() : "object";
        case TPropKind::Component:
            return p.componentClass ? p.componentClass().Name() : "component";
        case TPropKind::Event:
            return "event";
    }
    return "?";
}

std::string Values(const TPropInfo& p) {
    if (p.kind != TPropKind::Enum && p.kind != TPropKind::Set) return {};
    std::string s;
    for (const auto& [name, value] : p.enumInfo->values) {
        s += s.empty() ? "" : " ";
        s += name;
    }
    return s;
}

// One line per property: "  Name  Type  = default  (values)"; sub-objects by their
// own properties, with dots.
void Describe(std::string& out, const TClassInfo& cls, const std::string& prefix, int depth) {
    for (const TPropInfo* p : cls.AllProperties()) {
        const std::string name = prefix + p->name;
        if (p->kind == TPropKind::Object && p->objectClass && depth < 3) {
            Describe(out, *p->objectClass, name + ".", depth + 1);
            continue;
        }
        std::string line = "  " + name;
        line.resize(std::max<std::size_t>(line.size() + 1, 26), ' ');
        line += TypeName(*p);
        if (p->storedDefault) {
            const std::string v = FormatFormValue(*p, *p->storedDefault);
            if (!v.empty()) line += " = " + v;
        }
        const std::string values = Values(*p);
        if (!values.empty()) line += "  (" + values + ")";
        out += line + "\n";
    }
}

// The properties that hold rows or items, after the plain ones.
void DescribeLists(std::string& out, const TClassInfo& cls) {
    for (const TFormListProperty* list : ListProperties(cls)) {
        std::string line = "  " + list->name;
        line.resize(std::max<std::size_t>(line.size() + 1, 26), ' ');
        if (list->kind == TFormListProperty::Rows) {
            out += line + "rows of strings\n";
            continue;
        }
        out += line + "collection of " + list->itemClass->Name() + ", each item:\n";
        Describe(out, *list->itemClass, list->name + "[].", 1);
    }
}

std::string Ancestry(const TClassInfo& cls) {
    std::string s = cls.Name();
    for (const TClassInfo* c = cls.Parent(); c; c = c->Parent()) s += " < " + c->Name();
    return s;
}

}  // namespace

Result<std::string> ClassesHelpText(std::string_view className) {
    RegisterAppClasses();
    RegisterDataClasses();
    std::vector<const TClassInfo*> classes;
    for (const TClassInfo* c : RegisteredClasses())
        if (c->create && (className.empty() || SameText(c->Name(), className)))
            classes.push_back(c);
    if (classes.empty())
        return Error{"'" + std::string(className) +
                     "' is no class of form files; 'quillon help classes' lists them"};
    std::string out;
    if (className.empty())
        out = std::to_string(classes.size()) +
              " classes; each with its properties, their types and the default a form file "
              "need not write (no default: always written when set).\n";
    for (const TClassInfo* c : classes) {
        out += out.empty() ? "" : "\n";
        out += Ancestry(*c) + "\n";
        Describe(out, *c, "", 0);
        DescribeLists(out, *c);
    }
    return out;
}

}  // namespace quillon
