// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Class information: a class's name, its base, a factory, and its table of
// published properties (accessor pairs with their stored defaults). Form files
// are read and written through these tables only; the class registry finds a
// class by its name.

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "platform/vcl/components.h"

namespace quillon {

class TStrings;

// Names of the values of an enumeration (also the elements of a set type, whose
// element of ordinal n is bit n of the set's mask).
struct TEnumInfo {
    std::string_view typeName;
    std::vector<std::pair<std::string_view, int>> values;

    // nullptr when no name has this value.
    const std::string_view* NameOf(int value) const;
    // False when no value has this name (names compare without case).
    bool ValueOf(std::string_view name, int& value) const;
};

enum class TPropKind {
    Integer,    // 32-bit integer unless a range says otherwise
    Float,      // double
    String,     // UTF-8 text
    Boolean,    // False / True
    Enum,       // an identifier of its TEnumInfo
    Set,        // [ids] of its TEnumInfo; value is the bit mask
    Color,      // a colour identifier or $00BBGGRR
    Strings,    // a string list ( 'a' 'b' ), kept in a TStrings
    IntList,    // a list of integers ( 64 30 30 )
    Binary,     // { hex bytes }
    Object,     // an owned sub-object whose own properties are written with dots
    Component,  // a reference by name to another component of the same form
    Event,      // the name of a handler of the form
};

using TPropValue =
    std::variant<std::monostate, std::int64_t, double, bool, std::string, std::vector<std::string>,
                 std::vector<std::uint8_t>, TComponent*, std::vector<std::int64_t>>;

// One published property. Accessors take the object as void*: a pointer to the
// TObject of a component class, or to the object itself for a plain class
// (fonts, pens, brushes) that has a table of its own.
struct TPropInfo {
    std::string name;
    TPropKind kind = TPropKind::Integer;
    const TEnumInfo* enumInfo = nullptr;      // Enum, Set
    const TClassInfo* objectClass = nullptr;  // Object: the sub-object's table
    // Component: the class the reference must have (a function, so that a class
    // may refer to its own kind while its information is being built).
    const TClassInfo& (*componentClass)() = nullptr;
    std::int64_t minValue = INT32_MIN, maxValue = INT32_MAX;  // Integer

    std::function<TPropValue(const void*)> get;
    std::function<void(void*, const TPropValue&)> set;
    std::function<void*(void*)> object;  // Object
    // Object: another object of the sub-object's class whose values serve as
    // the defaults (a control's font is written against its parent's font,
    // from which it was taken before the file's values were read).
    std::function<const void*(const void*)> objectDefaults;
    std::function<TStrings*(void*)> strings;  // Strings
    // Event: binds a handler found in the root's method table; false when the
    // handler's signature does not fit the event.
    std::function<bool(void*, const std::string&, const std::any&)> bindEvent;
    std::function<std::string(const void*)> eventName;

    // Stored default: the value is written only when it differs. Without one a
    // value is always written, except an empty text, list or binary, a nil
    // reference and an event without handler name.
    std::optional<TPropValue> storedDefault;
    // Extra condition for writing at all (for example the font only when it is
    // not taken from the parent).
    std::function<bool(const void*)> stored;
};

class TClassInfo {
  public:
    TClassInfo(std::string name, const TClassInfo* parent)
        : name_(std::move(name)), parent_(parent) {}

    const std::string& Name() const { return name_; }
    const TClassInfo* Parent() const { return parent_; }
    bool InheritsFrom(const TClassInfo& other) const;
    bool InheritsFrom(std::string_view className) const;

    // The property of that name (without case), searching from this class to the
    // base; nullptr when there is none.
    const TPropInfo* FindProperty(std::string_view name) const;
    // Every property in writing order: the base's first, a redefinition (another
    // default) in the place of the property it redefines.
    std::vector<const TPropInfo*> AllProperties() const;
    const std::vector<TPropInfo>& OwnProperties() const { return props_; }

    // Creates an instance owned by `owner`; nullptr for classes without a
    // factory (abstract bases and plain sub-object classes).
    std::function<TComponent*(TComponent* owner)> create;

    void AddProperty(TPropInfo info) { props_.push_back(std::move(info)); }
    TPropInfo& LastProperty() { return props_.back(); }

  private:
    std::string name_;
    const TClassInfo* parent_;
    std::vector<TPropInfo> props_;
};

// The class registry used by form files: classes are found by their name.
void RegisterClass(const TClassInfo& info);
// nullptr when no class of that name (without case) was registered.
const TClassInfo* FindClass(std::string_view name);
// The colour identifiers of form files (clWhite ...); filled in by the graphics
// layer's table (see form_file.cpp).
bool IdentToColorValue(std::string_view ident, std::int64_t& color);
bool ColorValueToIdent(std::int64_t color, std::string& ident);

// Builds a class's information with typed accessors:
//
//   static const TClassInfo info = TClassBuilder<TButton>("TButton",
//   &TButtonControl::StaticClassInfo())
//       .Bool("Default", &TButton::Default, &TButton::SetDefault, false)
//       .Event("OnClick", &TButton::OnClick)
//       .Factory();
//
// Getters and setters are anything std::invoke can call with the object
// (member functions or lambdas). `Root` is the type the accessors' void*
// points to: TObject for components, the class itself for plain classes.
template <class T, class Root = TObject>
class TClassBuilder {
  public:
    TClassBuilder(std::string name, const TClassInfo* parent)
        : info_(std::make_unique<TClassInfo>(std::move(name), parent)) {}

    static T& Obj(void* p) { return static_cast<T&>(*static_cast<Root*>(p)); }
    static const T& Obj(const void* p) {
        return static_cast<const T&>(*static_cast<const Root*>(p));
    }

    template <class G, class S>
    TClassBuilder& Int(std::string name, G get, S set, std::optional<std::int64_t> def,
                       std::int64_t minValue = INT32_MIN, std::int64_t maxValue = INT32_MAX) {
        TPropInfo p = Base(std::move(name), TPropKind::Integer);
        p.minValue = minValue;
        p.maxValue = maxValue;
        p.get = [get](const void* o) -> TPropValue {
            return static_cast<std::int64_t>(std::invoke(get, Obj(o)));
        };
        p.set = [set](void* o, const TPropValue& v) {
            using A =
                std::decay_t<decltype(std::invoke(std::declval<G>(), std::declval<const T&>()))>;
            std::invoke(set, Obj(o), static_cast<A>(std::get<std::int64_t>(v)));
        };
        if (def) p.storedDefault.emplace(std::in_place_type<std::decay_t<decltype(*def)>>, *def);
        return Add(std::move(p));
    }

    template <class G, class S>
    TClassBuilder& Float(std::string name, G get, S set, std::optional<double> def) {
        TPropInfo p = Base(std::move(name), TPropKind::Float);
        p.get = [get](const void* o) -> TPropValue {
            return static_cast<double>(std::invoke(get, Obj(o)));
        };
        p.set = [set](void* o, const TPropValue& v) {
            std::invoke(set, Obj(o), std::get<double>(v));
        };
        if (def) p.storedDefault.emplace(std::in_place_type<std::decay_t<decltype(*def)>>, *def);
        return Add(std::move(p));
    }

    template <class G, class S>
    TClassBuilder& Bool(std::string name, G get, S set, std::optional<bool> def) {
        TPropInfo p = Base(std::move(name), TPropKind::Boolean);
        p.get = [get](const void* o) -> TPropValue {
            return static_cast<bool>(std::invoke(get, Obj(o)));
        };
        p.set = [set](void* o, const TPropValue& v) {
            std::invoke(set, Obj(o), std::get<bool>(v));
        };
        if (def) p.storedDefault.emplace(std::in_place_type<std::decay_t<decltype(*def)>>, *def);
        return Add(std::move(p));
    }

    // Text properties; the default is the empty text unless given.
    template <class G, class S>
    TClassBuilder& Str(std::string name, G get, S set,
                       std::optional<std::string> def = std::nullopt) {
        TPropInfo p = Base(std::move(name), TPropKind::String);
        p.get = [get](const void* o) -> TPropValue {
            return std::string(std::invoke(get, Obj(o)));
        };
        p.set = [set](void* o, const TPropValue& v) {
            std::invoke(set, Obj(o), std::get<std::string>(v));
        };
        if (def) p.storedDefault.emplace(std::in_place_type<std::decay_t<decltype(*def)>>, *def);
        return Add(std::move(p));
    }

    template <class G, class S>
    TClassBuilder& Enum(std::string name, const TEnumInfo& names, G get, S set,
                        std::optional<std::int64_t> def) {
        TPropInfo p = Base(std::move(name), TPropKind::Enum);
        p.enumInfo = &names;
        p.get = [get](const void* o) -> TPropValue {
            return static_cast<std::int64_t>(std::invoke(get, Obj(o)));
        };
        p.set = [set](void* o, const TPropValue& v) {
            using E =
                std::decay_t<decltype(std::invoke(std::declval<G>(), std::declval<const T&>()))>;
            std::invoke(set, Obj(o), static_cast<E>(std::get<std::int64_t>(v)));
        };
        if (def) p.storedDefault.emplace(std::in_place_type<std::decay_t<decltype(*def)>>, *def);
        return Add(std::move(p));
    }

    // Sets: `get` returns the bit mask, `set` takes it.
    template <class G, class S>
    TClassBuilder& Set(std::string name, const TEnumInfo& elements, G get, S set,
                       std::optional<std::int64_t> def) {
        TPropInfo p = Base(std::move(name), TPropKind::Set);
        p.enumInfo = &elements;
        p.get = [get](const void* o) -> TPropValue {
            return static_cast<std::int64_t>(std::invoke(get, Obj(o)));
        };
        p.set = [set](void* o, const TPropValue& v) {
            std::invoke(set, Obj(o), static_cast<std::uint32_t>(std::get<std::int64_t>(v)));
        };
        if (def) p.storedDefault.emplace(std::in_place_type<std::decay_t<decltype(*def)>>, *def);
        return Add(std::move(p));
    }

    template <class G, class S>
    TClassBuilder& Color(std::string name, G get, S set, std::optional<std::int64_t> def) {
        TPropInfo p = Base(std::move(name), TPropKind::Color);
        p.get = [get](const void* o) -> TPropValue {
            return static_cast<std::int64_t>(static_cast<std::int32_t>(std::invoke(get, Obj(o))));
        };
        p.set = [set](void* o, const TPropValue& v) {
            using C =
                std::decay_t<decltype(std::invoke(std::declval<G>(), std::declval<const T&>()))>;
            std::invoke(set, Obj(o), static_cast<C>(std::get<std::int64_t>(v)));
        };
        if (def)
            p.storedDefault.emplace(std::in_place_type<std::int64_t>,
                                    static_cast<std::int64_t>(static_cast<std::int32_t>(*def)));
        return Add(std::move(p));
    }

    template <class G, class S>
    TClassBuilder& Binary(std::string name, G get, S set) {
        TPropInfo p = Base(std::move(name), TPropKind::Binary);
        p.get = [get](const void* o) -> TPropValue {
            return std::vector<std::uint8_t>(std::invoke(get, Obj(o)));
        };
        p.set = [set](void* o, const TPropValue& v) {
            std::invoke(set, Obj(o), std::get<std::vector<std::uint8_t>>(v));
        };
        return Add(std::move(p));
    }

    // A list of integers (column widths ...); `get` returns a vector of ints,
    // `set` takes one. Written only when `stored` holds (else never).
    template <class G, class S>
    TClassBuilder& IntList(std::string name, G get, S set) {
        TPropInfo p = Base(std::move(name), TPropKind::IntList);
        p.get = [get](const void* o) -> TPropValue {
            const auto& v = std::invoke(get, Obj(o));
            return std::vector<std::int64_t>(v.begin(), v.end());
        };
        p.set = [set](void* o, const TPropValue& v) {
            const auto& list = std::get<std::vector<std::int64_t>>(v);
            std::invoke(set, Obj(o), std::vector<int>(list.begin(), list.end()));
        };
        return Add(std::move(p));
    }

    // A string list owned by the object; `get` returns TStrings& or TStrings*.
    template <class G>
    TClassBuilder& Strings(std::string name, G get) {
        TPropInfo p = Base(std::move(name), TPropKind::Strings);
        p.strings = [get](void* o) -> TStrings* { return AsPointer(std::invoke(get, Obj(o))); };
        return Add(std::move(p));
    }

    // An owned sub-object with a table of its own; `get` returns Sub& or Sub*.
    template <class G>
    TClassBuilder& Object(std::string name, const TClassInfo& subClass, G get,
                          std::function<bool(const T&)> stored = {}) {
        TPropInfo p = Base(std::move(name), TPropKind::Object);
        p.objectClass = &subClass;
        p.object = [get](void* o) -> void* {
            return SubObject(AsPointer(std::invoke(get, Obj(o))));
        };
        if (stored) p.stored = [stored](const void* o) { return stored(Obj(o)); };
        return Add(std::move(p));
    }

    // A reference to another component; `C` is the class the reference must have.
    template <class C, class G, class S>
    TClassBuilder& Ref(std::string name, G get, S set) {
        TPropInfo p = Base(std::move(name), TPropKind::Component);
        p.componentClass = &C::StaticClassInfo;
        p.get = [get](const void* o) -> TPropValue {
            return static_cast<TComponent*>(std::invoke(get, Obj(o)));
        };
        p.set = [set](void* o, const TPropValue& v) {
            std::invoke(set, Obj(o), dynamic_cast<C*>(std::get<TComponent*>(v)));
        };
        return Add(std::move(p));
    }

    template <class Sig, class C>
    TClassBuilder& Event(std::string name, TEvent<Sig> C::*member) {
        static_assert(std::is_base_of_v<C, T>, "the event must be a member of the class or a base");
        TPropInfo p = Base(std::move(name), TPropKind::Event);
        p.bindEvent = [member](void* o, const std::string& handler, const std::any& fn) {
            const auto* f = std::any_cast<std::function<Sig>>(&fn);
            if (!f) return false;
            Obj(o).*member = TEvent<Sig>(handler, *f);
            return true;
        };
        p.eventName = [member](const void* o) { return (Obj(o).*member).HandlerName(); };
        return Add(std::move(p));
    }

    // The last added sub-object property is written against the object that
    // `defaults` returns (nullptr: against the sub-object class's own defaults).
    template <class D>
    TClassBuilder& DefaultsFrom(D defaults) {
        info_->LastProperty().objectDefaults = [defaults](const void* o) -> const void* {
            auto* d = defaults(Obj(o));
            return d ? SubObject(
                           const_cast<std::remove_const_t<std::remove_pointer_t<decltype(d)>>*>(d))
                     : nullptr;
        };
        return *this;
    }

    // Only write the last added property when `pred` holds.
    TClassBuilder& StoredIf(std::function<bool(const T&)> pred) {
        info_->LastProperty().stored = [pred](const void* o) { return pred(Obj(o)); };
        return *this;
    }

    // Finishes a class that form files can create by name (registered).
    const TClassInfo& Factory() {
        info_->create = [](TComponent* owner) -> TComponent* { return new T(owner); };
        return Finish(true);
    }
    // Finishes a class that is not created by name (an abstract base, or a plain
    // class described for its sub-properties).
    const TClassInfo& Abstract() { return Finish(false); }

  private:
    template <class P>
    static auto* AsPointer(P&& p) {
        if constexpr (std::is_pointer_v<std::decay_t<P>>)
            return p;
        else
            return &p;
    }
    // Sub-objects of component classes are passed on as their TObject, plain
    // classes as themselves (the convention of the accessors' void*).
    template <class S>
    static void* SubObject(S* s) {
        if constexpr (std::is_base_of_v<TObject, S>)
            return static_cast<void*>(static_cast<TObject*>(s));
        else
            return static_cast<void*>(s);
    }
    static TPropInfo Base(std::string name, TPropKind kind) {
        TPropInfo p;
        p.name = std::move(name);
        p.kind = kind;
        return p;
    }
    TClassBuilder& Add(TPropInfo p) {
        info_->AddProperty(std::move(p));
        return *this;
    }
    const TClassInfo& Finish(bool registered);
    std::unique_ptr<TClassInfo> info_;
};

// Storage for class information built once and kept for the whole run.
const TClassInfo& KeepClassInfo(std::unique_ptr<TClassInfo> info, bool registered);

template <class T, class Root>
const TClassInfo& TClassBuilder<T, Root>::Finish(bool registered) {
    return KeepClassInfo(std::move(info_), registered);
}

}  // namespace quillon
