// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Properties of form files that hold more than one value: rows of strings (a string grid's
// cells) and collections of items (a data grid's columns). A class lists them here beside its
// table of plain properties; the reader, the writer and the reference of form files find
// them by the class (or a base of it) and the name.
//
//   Cells = (            Columns = <
//     ('a' 'b')            item
//     ('c'))                 FieldName = 'NAME'
//                          end>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/vcl/properties.h"

namespace quillon {

struct TFormListProperty {
    enum Kind { Rows, Collection };
    std::string name;
    Kind kind = Rows;
    // Rows: the rows as the object keeps them (empty: nothing to write), and setting them
    // (taken over, so that each row can go once the object holds it).
    std::function<std::vector<std::vector<std::string>>(const void*)> rows;
    std::function<void(void*, std::vector<std::vector<std::string>>&&)> setRows;
    // Collection: the items' table (its accessors take the item itself), how many items
    // there are, item n (added when n is the count) and removing them all.
    const TClassInfo* itemClass = nullptr;
    std::function<std::size_t(const void*)> count;
    std::function<void*(void*, std::size_t)> item;
    std::function<void(void*)> clear;
};

// Adds a property to `cls` (accessors take the object as the class's table does).
void RegisterListProperty(const TClassInfo& cls, TFormListProperty property);
// The property of that name (without case) of the class or a base; nullptr when none.
const TFormListProperty* FindListProperty(const TClassInfo& cls, std::string_view name);
// Those of the class and its bases, the base's first.
std::vector<const TFormListProperty*> ListProperties(const TClassInfo& cls);

// A collection kept as a vector of plain items whose table is `itemClass`; `items` gives the
// object's vector (T is the class whose accessors take the object, as in its table).
template <class T, class Item, class Root = TObject>
TFormListProperty CollectionOf(std::string name, const TClassInfo& itemClass,
                               std::vector<Item>& (*items)(T&)) {
    auto obj = [](const void* o) -> T& {
        return static_cast<T&>(*static_cast<Root*>(const_cast<void*>(o)));
    };
    TFormListProperty p;
    p.name = std::move(name);
    p.kind = TFormListProperty::Collection;
    p.itemClass = &itemClass;
    p.count = [items, obj](const void* o) { return items(obj(o)).size(); };
    p.item = [items, obj](void* o, std::size_t n) -> void* {
        std::vector<Item>& v = items(obj(o));
        if (n == v.size()) v.emplace_back();
        return n < v.size() ? static_cast<void*>(&v[n]) : nullptr;
    };
    p.clear = [items, obj](void* o) { items(obj(o)).clear(); };
    return p;
}

}  // namespace quillon
