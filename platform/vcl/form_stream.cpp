// SPDX-License-Identifier: GPL-2.0-or-later
// Reading form files into components and writing components as form files,
// through the class registry and the property tables.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/vcl/class_list.h"
#include "platform/vcl/components.h"
#include "platform/vcl/form_file.h"
#include "platform/vcl/form_lists.h"
#include "platform/vcl/properties.h"
#include "platform/vcl/strings.h"

namespace quillon {

namespace {

struct Fault {
    int line;
    std::string reason;
};

std::string KindName(TPropKind k) {
    switch (k) {
        case TPropKind::Integer:
            return "an integer";
        case TPropKind::Float:
            return "a number";
        case TPropKind::String:
            return "a string";
        case TPropKind::Boolean:
            return "True or False";
        case TPropKind::Enum:
            return "an identifier";
        case TPropKind::Set:
            return "a set";
        case TPropKind::Color:
            return "a colour";
        case TPropKind::Strings:
            return "a list of strings";
        case TPropKind::Binary:
            return "binary data";
        case TPropKind::IntList:
            return "a list of integers";
        case TPropKind::Object:
            return "sub-properties";
        case TPropKind::Component:
            return "a component name";
        case TPropKind::Event:
            return "a handler name";
    }
    return "?";
}

void* AsTarget(TComponent& c) {
    return static_cast<void*>(static_cast<TObject*>(&c));
}

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = path.find('.', start);
        parts.push_back(
            path.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
        if (dot == std::string::npos) return parts;
        start = dot + 1;
    }
}

thread_local int lineBeingLoaded = 0;

struct LineScope {
    int saved;
    explicit LineScope(int line) : saved(lineBeingLoaded) { lineBeingLoaded = line; }
    ~LineScope() { lineBeingLoaded = saved; }
};

std::mutex checksMutex;
std::vector<TLoadCheck>& Checks() {
    static std::vector<TLoadCheck> checks;
    return checks;
}

std::vector<TLoadCheck> LoadChecks() {
    std::lock_guard<std::mutex> lock(checksMutex);
    return Checks();
}

class Reader {
  public:
    Reader(TComponent& root, const TFormReadOptions& options) : root_(root), options_(options) {}

    // The tree is taken apart as it is read: texts and lists move into the components.
    void ReadRoot(TFormObject& tree) {
        if (!root_.ClassInfo().InheritsFrom(tree.className))
            throw Fault{tree.line,
                        "the file holds a " + tree.className + ", not a " + root_.ClassName()};
        loaded_.push_back(&root_);
        lines_.push_back(tree.line);
        root_.BeginLoading();
        SetName(root_, tree);
        ReadBody(root_, tree);
        Fixups();
    }

    // Ends loading of everything read so far (also after a fault).
    void Finish() {
        for (std::size_t i = 0; i < loaded_.size(); ++i) {
            LineScope line(lines_[i]);
            loaded_[i]->Loaded();
        }
    }

    // The first component, in the order of the file, that cannot work as the file set it up.
    std::optional<Fault> Problem() const {
        const std::vector<TLoadCheck> checks = LoadChecks();
        for (std::size_t i = 0; i < loaded_.size(); ++i)
            for (TLoadCheck check : checks) {
                std::string why = check(*loaded_[i]);
                if (!why.empty()) return Fault{lines_[i], std::move(why)};
            }
        return std::nullopt;
    }

  private:
    void SetName(TComponent& c, const TFormObject& obj) {
        if (obj.name.empty()) return;
        try {
            c.SetName(obj.name);
        } catch (const std::exception& e) {
            throw Fault{obj.line, e.what()};
        }
    }

    void ReadBody(TComponent& c, TFormObject& obj) {
        for (TFormProperty& p : obj.properties) Property(c, p);
        for (TFormObject& child : obj.children) Child(c, child);
    }

    void Child(TComponent& parent, TFormObject& obj) {
        const TClassInfo* cls = FindClass(obj.className);
        if (!cls) throw Fault{obj.line, "unknown class '" + obj.className + "'"};
        if (!cls->create) throw Fault{obj.line, "class '" + obj.className + "' cannot be created"};
        TComponent* c = cls->create(&root_);
        loaded_.push_back(c);
        lines_.push_back(obj.line);
        c->BeginLoading();
        SetName(*c, obj);
        if (!obj.name.empty() && !root_.BindField(obj.name, c))
            throw Fault{obj.line, "'" + obj.name + "' is a " + obj.className + ", which " +
                                      root_.ClassName() + " does not expect"};
        if (!c->SetParentComponent(&parent)) {
            throw Fault{obj.line,
                        "a " + obj.className + " cannot be placed inside a " + parent.ClassName()};
        }
        ReadBody(*c, obj);
    }

    void Property(TComponent& c, TFormProperty& p) {
        if (const TFormListProperty* list = FindListProperty(c.ClassInfo(), p.path))
            return ListProperty(c, AsTarget(c), *list, p);
        PropertyOf(c, AsTarget(c), &c.ClassInfo(), p);
    }

    // A plain property of `target` (the component itself or an item of one of its
    // collections, whose table is `cls`).
    void PropertyOf(TComponent& c, void* target, const TClassInfo* cls, TFormProperty& p) {
        const std::vector<std::string> parts = SplitPath(p.path);
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const TPropInfo* prop = cls->FindProperty(parts[i]);
            if (!prop) throw Fault{p.line, "unknown property '" + p.path + "' of " + c.ClassName()};
            const bool last = i + 1 == parts.size();
            if (!last) {
                if (prop->kind == TPropKind::Object) {
                    target = prop->object(target);
                    cls = prop->objectClass;
                    if (!target) throw Fault{p.line, "property '" + p.path + "' is not available"};
                    continue;
                }
                // Items.Strings = (...) is the same as Items = (...).
                if (prop->kind == TPropKind::Strings && i + 2 == parts.size() &&
                    SameText(parts[i + 1], "Strings")) {
                    Assign(c, *prop, target, p);
                    return;
                }
                throw Fault{p.line, "unknown property '" + p.path + "' of " + c.ClassName()};
            }
            Assign(c, *prop, target, p);
        }
    }

    void ListProperty(TComponent& c, void* target, const TFormListProperty& list,
                      TFormProperty& p) {
        TFormValue& v = p.value;
        if (list.kind == TFormListProperty::Rows) {
            if (v.kind != TFormValue::List)
                throw Fault{v.line, "wrong value type for '" + p.path +
                                        "': a list of rows of strings expected"};
            if (!v.strings.empty())
                throw Fault{v.itemLine,
                            "wrong value type in '" + p.path + "': each row is a list of strings"};
            std::vector<std::vector<std::string>> rows;
            rows.reserve(v.items.size());
            for (TFormValue& row : v.items) {
                if (row.kind != TFormValue::List)
                    throw Fault{row.line, "wrong value type in '" + p.path +
                                              "': each row is a list of strings"};
                if (!row.items.empty())
                    throw Fault{row.items.front().line, "wrong value type in '" + p.path +
                                                            "': only strings may be listed"};
                rows.push_back(std::move(row.strings));
            }
            // The rows' values go before the grid copies the cells.
            std::vector<TFormValue>().swap(v.items);
            Guard(p, [&] { list.setRows(target, std::move(rows)); });
            return;
        }
        if (v.kind != TFormValue::Collection)
            throw Fault{v.line,
                        "wrong value type for '" + p.path + "': a collection of items expected"};
        Guard(p, [&] { list.clear(target); });
        for (std::size_t i = 0; i < v.collection.size(); ++i) {
            void* item = nullptr;
            Guard(p, [&] { item = list.item(target, i); });
            if (!item) throw Fault{p.line, "cannot add an item to '" + p.path + "'"};
            for (TFormProperty& ip : v.collection[i]) {
                try {
                    PropertyOf(c, item, list.itemClass, ip);
                } catch (Fault& f) {
                    if (f.reason.rfind("unknown property '", 0) == 0)
                        f.reason =
                            "unknown property '" + ip.path + "' of an item of '" + p.path + "'";
                    throw;
                }
            }
        }
    }

    [[noreturn]] void WrongType(const TPropInfo& prop, const TFormProperty& p) {
        throw Fault{p.value.line,
                    "wrong value type for '" + p.path + "': " + KindName(prop.kind) + " expected"};
    }

    void Assign(TComponent& c, const TPropInfo& prop, void* target, TFormProperty& p) {
        TFormValue& v = p.value;
        TPropValue value;
        switch (prop.kind) {
            case TPropKind::Integer:
                if (v.kind != TFormValue::Integer) WrongType(prop, p);
                if (v.integer < prop.minValue || v.integer > prop.maxValue)
                    throw Fault{v.line, "value out of range for '" + p.path + "'"};
                value = v.integer;
                break;
            case TPropKind::Float:
                if (v.kind == TFormValue::Integer)
                    value = static_cast<double>(v.integer);
                else if (v.kind == TFormValue::Float)
                    value = v.real;
                else
                    WrongType(prop, p);
                break;
            case TPropKind::String:
                if (v.kind != TFormValue::String) WrongType(prop, p);
                value = std::move(v.text);
                break;
            case TPropKind::Boolean:
                if (v.kind != TFormValue::Ident) WrongType(prop, p);
                if (SameText(v.text, "True"))
                    value = true;
                else if (SameText(v.text, "False"))
                    value = false;
                else
                    WrongType(prop, p);
                break;
            case TPropKind::Enum: {
                int e = 0;
                if (v.kind == TFormValue::Ident && prop.enumInfo->ValueOf(v.text, e)) {
                    value = static_cast<std::int64_t>(e);
                } else if (v.kind == TFormValue::Integer && v.integer >= INT32_MIN &&
                           v.integer <= INT32_MAX &&
                           prop.enumInfo->NameOf(static_cast<int>(v.integer))) {
                    value = v.integer;
                } else if (v.kind == TFormValue::Ident) {
                    throw Fault{v.line, "'" + v.text + "' is not a value of " +
                                            std::string(prop.enumInfo->typeName) + " for '" +
                                            p.path + "'"};
                } else {
                    WrongType(prop, p);
                }
                break;
            }
            case TPropKind::Set: {
                if (v.kind != TFormValue::Set) WrongType(prop, p);
                std::int64_t mask = 0;
                for (const std::string& id : v.strings) {
                    int e = 0;
                    if (!prop.enumInfo->ValueOf(id, e) || e < 0 || e > 31)
                        throw Fault{v.line, "'" + id + "' is not an element of " +
                                                std::string(prop.enumInfo->typeName) + " for '" +
                                                p.path + "'"};
                    mask |= std::int64_t{1} << e;
                }
                value = mask;
                break;
            }
            case TPropKind::Color: {
                std::int64_t color = 0;
                if (v.kind == TFormValue::Integer) {
                    if (v.integer < INT32_MIN || v.integer > 0xFFFFFFFFll)
                        throw Fault{v.line, "value out of range for '" + p.path + "'"};
                    color = static_cast<std::int32_t>(static_cast<std::uint32_t>(v.integer));
                } else if (v.kind == TFormValue::Ident) {
                    if (!IdentToColorValue(v.text, color))
                        throw Fault{v.line,
                                    "'" + v.text + "' is not a colour for '" + p.path + "'"};
                } else {
                    WrongType(prop, p);
                }
                value = color;
                break;
            }
            case TPropKind::Strings: {
                if (v.kind != TFormValue::List) WrongType(prop, p);
                // The items after the leading strings begin with one that is not a string.
                if (!v.items.empty())
                    throw Fault{v.items.front().line, "wrong value type in '" + p.path +
                                                          "': only strings may be listed"};
                Guard(p, [&] { prop.strings(target)->SetLines(std::move(v.strings)); });
                return;
            }
            case TPropKind::Binary:
                if (v.kind != TFormValue::Binary) WrongType(prop, p);
                value = std::move(v.bytes);
                break;
            case TPropKind::IntList: {
                if (v.kind != TFormValue::List) WrongType(prop, p);
                if (!v.strings.empty())
                    throw Fault{v.itemLine, "wrong value type in '" + p.path +
                                                "': only integers may be listed"};
                std::vector<std::int64_t> list;
                for (const TFormValue& item : v.items) {
                    if (item.kind != TFormValue::Integer || item.integer < INT32_MIN ||
                        item.integer > INT32_MAX)
                        throw Fault{item.line, "wrong value type in '" + p.path +
                                                   "': only integers may be listed"};
                    list.push_back(item.integer);
                }
                value = std::move(list);
                break;
            }
            case TPropKind::Object:
                throw Fault{p.line, "'" + p.path + "' takes sub-properties, not a value"};
            case TPropKind::Component:
                if (v.kind != TFormValue::Ident) WrongType(prop, p);
                fixups_.push_back({&c, target, &prop, v.text, p.path, v.line});
                return;
            case TPropKind::Event: {
                if (v.kind != TFormValue::Ident || v.text.find('.') != std::string::npos)
                    WrongType(prop, p);
                const std::any* method = root_.FindMethod(v.text);
                if (!method) {
                    if (options_.ignoreMissingHandlers) return;
                    throw Fault{v.line, "unknown handler '" + v.text + "' for '" + p.path + "'"};
                }
                if (!prop.bindEvent(target, v.text, *method))
                    throw Fault{v.line, "handler '" + v.text + "' does not fit '" + p.path + "'"};
                return;
            }
        }
        Guard(p, [&] { prop.set(target, value); });
    }

    template <class F>
    void Guard(const TFormProperty& p, F&& f) {
        try {
            f();
        } catch (const std::exception& e) {
            throw Fault{p.line, "cannot set '" + p.path + "': " + e.what()};
        }
    }

    TComponent* Resolve(const std::string& ref) {
        const std::size_t dot = ref.find('.');
        if (dot == std::string::npos) {
            if (SameText(ref, root_.Name())) return &root_;
            return root_.FindComponent(ref);
        }
        // Form1.Edit1: only the form being read is known.
        if (!SameText(ref.substr(0, dot), root_.Name())) return nullptr;
        const std::string rest = ref.substr(dot + 1);
        if (rest.find('.') != std::string::npos) return nullptr;
        return root_.FindComponent(rest);
    }

    void Fixups() {
        for (const FixUp& f : fixups_) {
            TComponent* target = Resolve(f.name);
            if (!target)
                throw Fault{f.line, "unknown component '" + f.name + "' for '" + f.path + "'"};
            if (f.prop->componentClass &&
                !target->ClassInfo().InheritsFrom(f.prop->componentClass()))
                throw Fault{f.line, "wrong value type for '" + f.path + "': '" + f.name +
                                        "' is not a " + f.prop->componentClass().Name()};
            try {
                f.prop->set(f.target, target);
            } catch (const std::exception& e) {
                throw Fault{f.line, "cannot set '" + f.path + "': " + e.what()};
            }
        }
    }

    struct FixUp {
        TComponent* owner;
        void* target;
        const TPropInfo* prop;
        std::string name, path;
        int line;
    };

    TComponent& root_;
    const TFormReadOptions& options_;
    std::vector<TComponent*> loaded_;
    std::vector<int> lines_;  // the object line of each of loaded_
    std::vector<FixUp> fixups_;
};

// ---------------------------------------------------------------- writing

// The order properties are written in: the position and size first, then
// the others by name, lists of numbers (which may depend on counts and
// defaults read before them) and last the handlers by name.
const std::vector<const TPropInfo*>& WritingOrder(const TClassInfo& cls) {
    // Tables do not change once built: each class's order is worked out once.
    static std::mutex mutex;
    static std::map<const TClassInfo*, std::vector<const TPropInfo*>> cache;
    std::lock_guard lock(mutex);
    auto found = cache.find(&cls);
    if (found != cache.end()) return found->second;
    std::vector<const TPropInfo*> props = cls.AllProperties();
    auto rank = [](const TPropInfo* p) {
        static const char* geometry[] = {"Left", "Top", "Width", "Height"};
        for (int i = 0; i < 4; ++i)
            if (p->name == geometry[i]) return i;
        if (p->kind == TPropKind::Event) return 6;
        if (p->kind == TPropKind::IntList) return 5;
        return 4;
    };
    std::stable_sort(props.begin(), props.end(), [&](const TPropInfo* a, const TPropInfo* b) {
        const int ra = rank(a), rb = rank(b);
        if (ra != rb) return ra < rb;
        return LowerCase(a->name) < LowerCase(b->name);
    });
    return cache.emplace(&cls, std::move(props)).first->second;
}

class Writer {
  public:
    explicit Writer(const TComponent& root) : root_(const_cast<TComponent&>(root)) {}

    std::string Run() {
        Object(root_, 0);
        return std::move(out_);
    }

  private:
    void Indent(int n) { out_.append(static_cast<std::size_t>(n) * 2, ' '); }

    void Object(TComponent& c, int depth) {
        Indent(depth);
        out_ += "object ";
        if (!c.Name().empty()) {
            out_ += c.Name();
            out_ += ": ";
        }
        out_ += c.ClassName();
        out_ += '\n';
        Properties(AsTarget(c), c.ClassInfo(), "", depth + 1);
        for (const TFormListProperty* list : ListProperties(c.ClassInfo()))
            ListProperty(AsTarget(c), *list, depth + 1);
        c.GetChildren([&](TComponent* child) { Object(*child, depth + 1); }, &root_);
        Indent(depth);
        out_ += "end\n";
    }

    // `defaults`: an object of the same class whose values are not written
    // (nullptr: the stored defaults of the table decide).
    void Properties(void* target, const TClassInfo& cls, const std::string& prefix, int depth,
                    const void* defaults = nullptr) {
        for (const TPropInfo* p : WritingOrder(cls)) {
            if (p->stored && !p->stored(target)) continue;
            const std::string path = prefix + p->name;
            switch (p->kind) {
                case TPropKind::Object: {
                    void* sub = p->object(target);
                    const void* subDefaults =
                        p->objectDefaults ? p->objectDefaults(target) : nullptr;
                    if (sub) Properties(sub, *p->objectClass, path + ".", depth, subDefaults);
                    continue;
                }
                case TPropKind::Strings: {
                    const TStrings* list = p->strings(target);
                    if (!list || list->Count() == 0) continue;
                    Indent(depth);
                    out_ += path + ".Strings = (";
                    for (const std::string& s : list->Lines()) {
                        out_ += '\n';
                        Indent(depth + 1);
                        out_ += QuoteFormString(s);
                    }
                    out_ += ")\n";
                    continue;
                }
                case TPropKind::Event: {
                    const std::string name = p->eventName(target);
                    if (name.empty()) continue;
                    Line(depth, path, name);
                    continue;
                }
                case TPropKind::Component: {
                    auto* c = std::get<TComponent*>(p->get(target));
                    const std::string name = ReferenceName(c);
                    if (!name.empty()) Line(depth, path, name);
                    continue;
                }
                default:
                    break;
            }
            const TPropValue v = p->get(target);
            if (defaults) {
                if (p->get(defaults) == v) continue;
            } else if (p->storedDefault) {
                if (*p->storedDefault == v) continue;
            } else if ((std::holds_alternative<std::string>(v) &&
                        std::get<std::string>(v).empty()) ||
                       (std::holds_alternative<std::vector<std::uint8_t>>(v) &&
                        std::get<std::vector<std::uint8_t>>(v).empty()) ||
                       (std::holds_alternative<std::vector<std::int64_t>>(v) &&
                        std::get<std::vector<std::int64_t>>(v).empty())) {
                continue;
            }
            Line(depth, path, Format(*p, v, depth));
        }
    }

    void ListProperty(void* target, const TFormListProperty& list, int depth) {
        if (list.kind == TFormListProperty::Rows) {
            const auto rows = list.rows(target);
            if (rows.empty()) return;
            Indent(depth);
            out_ += list.name + " = (";
            for (const auto& row : rows) {
                out_ += '\n';
                Indent(depth + 1);
                out_ += '(';
                for (std::size_t i = 0; i < row.size(); ++i)
                    out_ += (i ? " " : "") + QuoteFormString(row[i]);
                out_ += ')';
            }
            out_ += ")\n";
            return;
        }
        const std::size_t n = list.count(target);
        if (n == 0) return;
        Indent(depth);
        out_ += list.name + " = <";
        for (std::size_t i = 0; i < n; ++i) {
            out_ += '\n';
            Indent(depth + 1);
            out_ += "item\n";
            if (void* item = list.item(target, i)) Properties(item, *list.itemClass, "", depth + 2);
            Indent(depth + 1);
            out_ += "end";
        }
        out_ += ">\n";
    }

    std::string ReferenceName(TComponent* c) const {
        if (!c || c->Name().empty()) return "";
        if (c == &root_ || c->Owner() == &root_) return c->Name();
        if (c->Owner() && !c->Owner()->Name().empty()) return c->Owner()->Name() + "." + c->Name();
        return "";
    }

    void Line(int depth, const std::string& path, const std::string& value) {
        Indent(depth);
        out_ += path;
        out_ += " = ";
        out_ += value;
        out_ += '\n';
    }

    std::string Format(const TPropInfo& p, const TPropValue& v, int depth) {
        return FormatFormValue(p, v, depth);
    }

    TComponent& root_;
    std::string out_;
};

}  // namespace

std::string FormatFormValue(const TPropInfo& p, const TPropValue& v, int depth) {
    switch (p.kind) {
        case TPropKind::Integer:
            return std::to_string(std::get<std::int64_t>(v));
        case TPropKind::Float: {
            double d = std::get<double>(v);
            if (!std::isfinite(d)) d = 0;
            char buf[64];
            auto r = std::to_chars(buf, buf + sizeof buf, d);
            return std::string(buf, r.ptr);
        }
        case TPropKind::String:
            return QuoteFormString(std::get<std::string>(v));
        case TPropKind::Boolean:
            return std::get<bool>(v) ? "True" : "False";
        case TPropKind::Enum: {
            const auto e = std::get<std::int64_t>(v);
            const std::string_view* name = p.enumInfo->NameOf(static_cast<int>(e));
            return name ? std::string(*name) : std::to_string(e);
        }
        case TPropKind::Set: {
            const auto mask = static_cast<std::uint64_t>(std::get<std::int64_t>(v));
            std::string s = "[";
            for (int bit = 0; bit < 32; ++bit) {
                if (!(mask & (std::uint64_t{1} << bit))) continue;
                const std::string_view* name = p.enumInfo->NameOf(bit);
                if (!name) continue;
                if (s.size() > 1) s += ", ";
                s += *name;
            }
            return s + "]";
        }
        case TPropKind::Color: {
            const auto c = std::get<std::int64_t>(v);
            std::string ident;
            if (ColorValueToIdent(c, ident)) return ident;
            char buf[16];
            std::snprintf(buf, sizeof buf, "$%08X",
                          static_cast<unsigned>(static_cast<std::uint32_t>(c)));
            return buf;
        }
        case TPropKind::Binary: {
            const auto& bytes = std::get<std::vector<std::uint8_t>>(v);
            static const char* hex = "0123456789ABCDEF";
            std::string s = "{";
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                if (i % 32 == 0) {
                    s += '\n';
                    s.append(static_cast<std::size_t>(depth + 1) * 2, ' ');
                }
                s += hex[bytes[i] >> 4];
                s += hex[bytes[i] & 15];
            }
            return s + "}";
        }
        case TPropKind::IntList: {
            std::string s = "(";
            for (const auto n : std::get<std::vector<std::int64_t>>(v)) {
                if (s.size() > 1) s += ' ';
                s += std::to_string(n);
            }
            return s + ")";
        }
        default:
            return "";
    }
}

namespace {

thread_local std::string fileBeingRead;

Result<void> Read(TFormObject& tree, TComponent& root, const TFormReadOptions& options) {
    struct Scope {
        std::string saved;
        explicit Scope(const std::string& name) : saved(fileBeingRead) { fileBeingRead = name; }
        ~Scope() { fileBeingRead = saved; }
    } scope(options.fileName);
    Reader reader(root, options);
    std::optional<TFormError> error;
    try {
        reader.ReadRoot(tree);
    } catch (const Fault& f) {
        error = TFormError{options.fileName, f.line, f.reason};
    }
    reader.Finish();
    if (!error)
        if (std::optional<Fault> problem = reader.Problem())
            error = TFormError{options.fileName, problem->line, problem->reason};
    if (error) return error->ToError();
    return Ok();
}

}  // namespace

Result<void> ReadComponent(const TFormObject& tree, TComponent& root,
                           const TFormReadOptions& options) {
    TFormObject copy = tree;
    return Read(copy, root, options);
}

Result<void> ReadComponent(std::string_view text, TComponent& root,
                           const TFormReadOptions& options) {
    Result<TFormObject> parsed = ParseFormText(text, options.fileName);
    if (!parsed) return parsed.error();
    return Read(*parsed, root, options);
}

Result<std::unique_ptr<TComponent>> CreateComponent(std::string_view text, TComponent* owner,
                                                    const TFormReadOptions& options) {
    Result<TFormObject> parsed = ParseFormText(text, options.fileName);
    if (!parsed) return parsed.error();
    TFormObject& tree = *parsed;
    const TClassInfo* cls = FindClass(tree.className);
    if (!cls) cls = options.unknownRootClass;
    if (!cls)
        return TFormError{options.fileName, tree.line, "unknown class '" + tree.className + "'"}
            .ToError();
    if (!cls->create)
        return TFormError{options.fileName, tree.line,
                          "class '" + tree.className + "' cannot be created"}
            .ToError();
    std::unique_ptr<TComponent> root(cls->create(owner));
    // The stand-in class for an unknown root reads the file as its own.
    if (!cls->InheritsFrom(tree.className)) tree.className = cls->Name();
    Result<void> read = Read(tree, *root, options);
    if (!read) return read.error();
    return root;
}

const std::string& FormFileBeingRead() { return fileBeingRead; }

int FormLineBeingLoaded() {
    return lineBeingLoaded;
}

void AddLoadCheck(TLoadCheck check) {
    std::lock_guard<std::mutex> lock(checksMutex);
    std::vector<TLoadCheck>& checks = Checks();
    if (std::find(checks.begin(), checks.end(), check) == checks.end()) checks.push_back(check);
}

std::string WriteComponent(const TComponent& root) {
    return Writer(root).Run();
}

}  // namespace quillon
