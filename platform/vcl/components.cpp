// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vcl/components.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_set>

#include "platform/vcl/class_list.h"
#include "platform/vcl/properties.h"

namespace quillon {

// ---------------------------------------------------------------- TEnumInfo

const std::string_view* TEnumInfo::NameOf(int value) const {
    for (const auto& [name, v] : values)
        if (v == value) return &name;
    return nullptr;
}

bool TEnumInfo::ValueOf(std::string_view name, int& value) const {
    for (const auto& [n, v] : values) {
        if (SameText(n, name)) {
            value = v;
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- TClassInfo

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
    for (const TClassInfo* c = this; c; c = c->parent_)
        if (c == &other) return true;
    return false;
}

bool TClassInfo::InheritsFrom(std::string_view className) const {
    for (const TClassInfo* c = this; c; c = c->parent_)
        if (SameText(c->name_, className)) return true;
    return false;
}

const TPropInfo* TClassInfo::FindProperty(std::string_view name) const {
    for (const TClassInfo* c = this; c; c = c->parent_)
        for (const TPropInfo& p : c->props_)
            if (SameText(p.name, name)) return &p;
    return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::AllProperties() const {
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = this; c; c = c->parent_) chain.push_back(c);
    std::vector<const TPropInfo*> all;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        for (const TPropInfo& p : (*it)->props_) {
            auto same = std::find_if(all.begin(), all.end(),
                                     [&](const TPropInfo* q) { return SameText(q->name, p.name); });
            if (same != all.end())
                *same = &p;
            else
                all.push_back(&p);
        }
    }
    return all;
}

namespace {

struct Registry {
    std::mutex mutex;
    std::vector<std::unique_ptr<TClassInfo>> kept;
    std::map<std::string, const TClassInfo*> byName;  // key: lower-case name
};

Registry& TheRegistry() {
    static Registry r;
    return r;
}

}  // namespace

const TClassInfo& KeepClassInfo(std::unique_ptr<TClassInfo> info, bool registered) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const TClassInfo* p = info.get();
    r.kept.push_back(std::move(info));
    if (registered) r.byName[LowerCase(p->Name())] = p;
    return *p;
}

void RegisterClass(const TClassInfo& info) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    r.byName[LowerCase(info.Name())] = &info;
}

// Defined with the controls: makes sure every class of the platform layer has
// built (and so registered) its information before a name is looked up.
void RegisterPlatformClasses();

const TClassInfo* FindClass(std::string_view name) {
    RegisterPlatformClasses();
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    auto it = r.byName.find(LowerCase(name));
    return it == r.byName.end() ? nullptr : it->second;
}

std::vector<const TClassInfo*> RegisteredClasses() {
    RegisterPlatformClasses();
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    std::vector<const TClassInfo*> all;
    for (const auto& [name, info] : r.byName) all.push_back(info);
    return all;
}

// ---------------------------------------------------------------- TObject

const TClassInfo& TObject::StaticClassInfo() {
    static const TClassInfo& info = TClassBuilder<TObject>("TObject", nullptr).Abstract();
    return info;
}

const TClassInfo& TObject::ClassInfo() const {
    return StaticClassInfo();
}

std::string TObject::ClassName() const {
    return ClassInfo().Name();
}

bool TObject::InheritsFrom(std::string_view className) const {
    return ClassInfo().InheritsFrom(className);
}

const TClassInfo& TPersistent::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TPersistent>("TPersistent", &TObject::StaticClassInfo()).Abstract();
    return info;
}

const TClassInfo& TPersistent::ClassInfo() const {
    return StaticClassInfo();
}

void TPersistent::Assign(const TPersistent& source) {
    throw EConvertError("Cannot assign a " + source.ClassName() + " to a " + ClassName());
}

// ---------------------------------------------------------------- TComponent

bool IsValidIdent(std::string_view name) {
    if (name.empty()) return false;
    auto alpha = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    };
    if (!alpha(name[0])) return false;
    for (char c : name)
        if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

const TClassInfo& TComponent::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TComponent>("TComponent", &TPersistent::StaticClassInfo())
            .Int("Tag", &TComponent::Tag, &TComponent::SetTag, 0)
            .Abstract();
    return info;
}

const TClassInfo& TComponent::ClassInfo() const {
    return StaticClassInfo();
}

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    state_ |= csDestroying;
    // Those linked to us forget us first, while our owner still knows us.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& theirs = other->freeNotifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        other->Notification(this, opRemove);
    }
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
    // The owner is going away with all its parts, so the parts are not told of
    // each other's removal; each is destroyed after those created later. All are
    // marked first: a part's destructor then sees its siblings (and its parent
    // control) as going away too and skips the work that only matters for a
    // survivor (telling the owned parts, tab order, alignment), which would
    // otherwise make destroying N parts cost N * N.
    for (TComponent* c : components_) c->state_ |= csDestroying;
    while (!components_.empty()) {
        TComponent* last = components_.back();
        components_.pop_back();
        ++listVersion_;
        last->owner_ = nullptr;
        last->state_ |= csDestroying;
        delete last;
    }
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return components_[static_cast<std::size_t>(index)];
}

int TComponent::ComponentIndex() const {
    if (!owner_) return -1;
    const auto& list = owner_->components_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, name)) return c;
    return nullptr;
}

void TComponent::ValidateName(std::string_view name) const {
    if (!name.empty() && !IsValidIdent(name))
        throw EComponentError("'" + std::string(name) + "' is not a valid component name");
    if (owner_ && !name.empty()) {
        TComponent* other = owner_->FindComponent(name);
        if (other && other != this)
            throw EComponentError("A component named " + std::string(name) + " already exists");
    }
}

void TComponent::SetName(std::string_view name) {
    if (name == name_) return;
    ValidateName(name);
    name_ = std::string(name);
}

void TComponent::InsertComponent(TComponent* component) {
    if (!component || component->owner_ == this) return;
    if (!component->name_.empty() && FindComponent(component->name_))
        throw EComponentError("A component named " + component->name_ + " already exists");
    if (component->owner_) component->owner_->RemoveComponent(component);
    components_.push_back(component);
    ++listVersion_;
    component->owner_ = this;
    Notification(component, opInsert);
}

namespace {

// Components usually go in the reverse order of their creation: look from the end.
std::vector<TComponent*>::iterator FindFromEnd(std::vector<TComponent*>& list,
                                               const TComponent* component) {
    auto it = std::find(list.rbegin(), list.rend(), component);
    return it == list.rend() ? list.end() : std::prev(it.base());
}

}  // namespace

void TComponent::RemoveComponent(TComponent* component) {
    if (!component || component->owner_ != this) return;
    if (FindFromEnd(components_, component) == components_.end()) return;
    Notification(component, opRemove);
    // The notification may have changed the list: look again.
    auto it = FindFromEnd(components_, component);
    if (it != components_.end()) components_.erase(it);
    ++listVersion_;
    component->owner_ = nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
    auto& theirs = component->freeNotifies_;
    if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (!component) return;
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component),
                        freeNotifies_.end());
    auto& theirs = component->freeNotifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove) {
        for (Field& f : fields_)
            if (f.get() == component) f.set(nullptr);
        freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component),
                            freeNotifies_.end());
    }
    // An owner that is going away destroys its parts without telling them of
    // one another: whoever asked to be told of one through FreeNotification is
    // told directly by that one's destructor.
    if (IsDestroying()) return;
    // News of an insertion is for the owner only: no part reacts to a sibling
    // coming, and telling every part of every insertion made creating N parts
    // cost N * N.
    if (operation != opRemove) return;
    // A component told of a removal may destroy or add others: the walk goes
    // over a copy and tells those still there. Whether one is still there is
    // known without a search while the list has not changed, and from one set of
    // the current list after each change (not a search of the list per part).
    const std::vector<TComponent*> parts = components_;
    std::uint64_t seen = listVersion_;
    std::unordered_set<TComponent*> current;
    bool changed = false;
    for (TComponent* c : parts) {
        if (listVersion_ != seen) {
            seen = listVersion_;
            current = std::unordered_set<TComponent*>(components_.begin(), components_.end());
            changed = true;
        }
        if (c == component || (changed && !current.count(c))) continue;
        c->Notification(component, operation);
    }
}

bool TComponent::BindField(std::string_view name, TComponent* component) {
    for (Field& f : fields_)
        if (SameText(f.name, name)) return f.set(component);
    return true;
}

const std::any* TComponent::FindMethod(std::string_view name) const {
    for (const auto& [n, fn] : methods_)
        if (SameText(n, name)) return &fn;
    return nullptr;
}

void TComponent::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    if (root != this) return;
    for (TComponent* c : components_)
        if (!c->HasParent()) proc(c);
}

bool TComponent::SetParentComponent(TComponent* /*parent*/) {
    return true;
}

void TComponent::Loaded() {
    state_ &= ~(csLoading | csReading);
}

}  // namespace quillon
