// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Components: named objects with an owner that destroys them, notification
// when one of them goes away, events, and published properties that form
// files stream (class information with the property table in properties.h).

#include <any>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/sys/sysutils.h"

namespace quillon {

class TClassInfo;
class TComponent;

// Declares a class's streaming information (defined in its .cpp with a
// TClassBuilder); every class that form files name carries it.
#define QUILLON_CLASS_INFO()                                  \
  public:                                                     \
    static const ::quillon::TClassInfo& StaticClassInfo();    \
    const ::quillon::TClassInfo& ClassInfo() const override { \
        return StaticClassInfo();                             \
    }

class TObject {
  public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // Streaming information of the object's class (name, base, property table).
    virtual const TClassInfo& ClassInfo() const;
    static const TClassInfo& StaticClassInfo();

    std::string ClassName() const;
    bool InheritsFrom(std::string_view className) const;
};

// Objects that can copy the state of another object of their kind.
class TPersistent : public TObject {
  public:
    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();

    // Raises EConvertError when `source` is of a kind this object cannot take.
    virtual void Assign(const TPersistent& source);
};

// A handler slot: a std::function plus, when the handler came from a form file
// or was bound by name, that name (so that writing a form keeps the binding).
// Call only when assigned: `if (OnClick) OnClick(this);`.
template <class Sig>
class TEvent;

template <class R, class... A>
class TEvent<R(A...)> {
  public:
    using Function = std::function<R(A...)>;

    TEvent() = default;
    TEvent(std::nullptr_t) {}
    template <class F, class = std::enable_if_t<std::is_constructible_v<Function, F> &&
                                                !std::is_same_v<std::decay_t<F>, TEvent>>>
    TEvent(F&& f) : fn_(std::forward<F>(f)) {}

    TEvent(std::string name, Function fn) : fn_(std::move(fn)), name_(std::move(name)) {}

    explicit operator bool() const { return static_cast<bool>(fn_); }
    R operator()(A... args) const { return fn_(std::forward<A>(args)...); }

    // Name of the bound handler (empty for a handler assigned as a plain function).
    const std::string& HandlerName() const { return name_; }
    const Function& function() const { return fn_; }

  private:
    Function fn_;
    std::string name_;
};

using TNotifyEvent = TEvent<void(TObject* sender)>;

enum TOperation { opInsert, opRemove };

// ComponentState flags.
enum : unsigned {
    csLoading = 1u << 0,     // properties are being read from a form file
    csReading = 1u << 1,     // the reader is setting this component's properties
    csWriting = 1u << 2,     // the component is being written to a form file
    csDestroying = 1u << 3,  // destruction has begun: no events fire any more
};

class TComponent : public TPersistent {
  public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();

    const std::string& Name() const { return name_; }
    // Raises EComponentError for a name that is not an identifier or that another
    // component of the same owner already has (names compare without case).
    virtual void SetName(std::string_view name);

    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    // The owned components in order of creation. Raises EListError for a bad index.
    TComponent* Components(int index) const;
    // Position in the owner's list, -1 without owner.
    int ComponentIndex() const;
    TComponent* FindComponent(std::string_view name) const;

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    // Destroys every owned component, the last created first.
    void DestroyComponents();

    // Asks to be told (Notification with opRemove) when `component` is destroyed;
    // the link works both ways and ends when either side goes away.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    unsigned ComponentState() const { return state_; }
    bool IsLoading() const { return (state_ & csLoading) != 0; }
    bool IsDestroying() const { return (state_ & csDestroying) != 0; }

    // Handlers that a form file may bind to events by name: a form registers its
    // handlers here (usually in its constructor, before reading its form file).
    template <class Sig, class F>
    void DefineMethod(std::string name, F&& fn) {
        methods_.emplace_back(std::move(name), std::function<Sig>(std::forward<F>(fn)));
    }
    // A pointer member of a form that the reader sets to the component of that
    // name it creates (and that is cleared when the component goes away):
    //   DefineField("Data", Data);   // TEdit* Data;
    template <class C>
    void DefineField(std::string name, C*& field) {
        C** slot = &field;
        fields_.push_back(Field{std::move(name), [slot] { return static_cast<TComponent*>(*slot); },
                                [slot](TComponent* c) {
                                    if (!c) {
                                        *slot = nullptr;
                                        return true;
                                    }
                                    C* typed = dynamic_cast<C*>(c);
                                    if (!typed) return false;
                                    *slot = typed;
                                    return true;
                                }});
    }
    // Binds the field of that name (if any) to `component`; false when the
    // component is not of the field's class.
    bool BindField(std::string_view name, TComponent* component);

    // The stored std::function<Sig> of a handler, or nullptr.
    const std::any* FindMethod(std::string_view name) const;
    template <class Sig>
    TEvent<Sig> MethodAsEvent(std::string_view name) const {
        const std::any* m = FindMethod(name);
        const auto* f = m ? std::any_cast<std::function<Sig>>(m) : nullptr;
        return f ? TEvent<Sig>(std::string(name), *f) : TEvent<Sig>();
    }

    // The components that a form file holds directly inside this one when `root`
    // is written: controls report their children, a root its non-visual parts.
    virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root);
    // Whether this component is written inside a parent control rather than
    // directly inside its owner.
    virtual bool HasParent() const { return false; }
    // Makes `parent` (a component read around this one in a form file) this
    // component's parent; false when this kind of component cannot be placed
    // there. Non-visual components have no parent and fit anywhere.
    virtual bool SetParentComponent(TComponent* parent);

    // Called by the reader after every property of the file has been set.
    virtual void Loaded();
    // Marks loading state (the reader's business).
    void BeginLoading() { state_ |= csLoading; }

    // Called for every component removal of interest (owned components, and
    // those linked by FreeNotification), and for an insertion into this one; the
    // default passes news of a removal on to the owned components (unless this
    // one is being destroyed with them). A component that keeps a pointer to
    // `component` clears it.
    virtual void Notification(TComponent* component, TOperation operation);

  protected:
    void SetDestroying() { state_ |= csDestroying; }

  private:
    void ValidateName(std::string_view name) const;

    TComponent* owner_ = nullptr;
    std::string name_;
    int tag_ = 0;
    unsigned state_ = 0;
    std::vector<TComponent*> components_;
    std::uint64_t listVersion_ = 0;  // changes with every insertion and removal
    std::vector<TComponent*> freeNotifies_;
    std::vector<std::pair<std::string, std::any>> methods_;
    struct Field {
        std::string name;
        std::function<TComponent*()> get;
        std::function<bool(TComponent*)> set;
    };
    std::vector<Field> fields_;
};

// Whether `name` is an identifier: a letter or '_' then letters, digits, '_'.
bool IsValidIdent(std::string_view name);

}  // namespace quillon
