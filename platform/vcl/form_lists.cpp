// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vcl/form_lists.h"

#include <map>
#include <memory>
#include <mutex>

#include "platform/sys/sysutils.h"

namespace quillon {

namespace {

struct Lists {
    std::mutex mutex;
    std::map<const TClassInfo*, std::vector<std::unique_ptr<TFormListProperty>>> byClass;
};

Lists& TheLists() {
    static Lists l;
    return l;
}

}  // namespace

void RegisterListProperty(const TClassInfo& cls, TFormListProperty property) {
    Lists& l = TheLists();
    std::lock_guard lock(l.mutex);
    l.byClass[&cls].push_back(std::make_unique<TFormListProperty>(std::move(property)));
}

std::vector<const TFormListProperty*> ListProperties(const TClassInfo& cls) {
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = &cls; c; c = c->Parent()) chain.insert(chain.begin(), c);
    Lists& l = TheLists();
    std::lock_guard lock(l.mutex);
    std::vector<const TFormListProperty*> all;
    for (const TClassInfo* c : chain) {
        auto it = l.byClass.find(c);
        if (it == l.byClass.end()) continue;
        for (const auto& p : it->second) all.push_back(p.get());
    }
    return all;
}

const TFormListProperty* FindListProperty(const TClassInfo& cls, std::string_view name) {
    for (const TFormListProperty* p : ListProperties(cls))
        if (SameText(p->name, name)) return p;
    return nullptr;
}

}  // namespace quillon
