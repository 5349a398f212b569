// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vcl/strings.h"

#include <utility>

#include "platform/vcl/properties.h"

namespace quillon {

const TClassInfo& TStrings::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TStrings>("TStrings", &TPersistent::StaticClassInfo()).Abstract();
    return info;
}
const TClassInfo& TStrings::ClassInfo() const {
    return StaticClassInfo();
}

const TClassInfo& TStringList::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TStringList>("TStringList", &TStrings::StaticClassInfo()).Abstract();
    return info;
}
const TClassInfo& TStringList::ClassInfo() const {
    return StaticClassInfo();
}

void TStrings::CheckIndex(int index, bool allowEnd) const {
    const int limit = allowEnd ? Count() : Count() - 1;
    if (index < 0 || index > limit)
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

const std::string& TStrings::Strings(int index) const {
    CheckIndex(index, false);
    return items_[static_cast<std::size_t>(index)];
}

void TStrings::SetString(int index, std::string value) {
    CheckIndex(index, false);
    if (items_[static_cast<std::size_t>(index)] == value) return;
    items_[static_cast<std::size_t>(index)] = std::move(value);
    Changed();
}

int TStrings::Add(std::string value) {
    items_.push_back(std::move(value));
    Changed();
    return Count() - 1;
}

void TStrings::Insert(int index, std::string value) {
    CheckIndex(index, true);
    items_.insert(items_.begin() + index, std::move(value));
    Changed();
}

void TStrings::Delete(int index) {
    CheckIndex(index, false);
    items_.erase(items_.begin() + index);
    Changed();
}

void TStrings::Clear() {
    if (items_.empty()) return;
    items_.clear();
    Changed();
}

void TStrings::Exchange(int a, int b) {
    CheckIndex(a, false);
    CheckIndex(b, false);
    std::swap(items_[static_cast<std::size_t>(a)], items_[static_cast<std::size_t>(b)]);
    Changed();
}

int TStrings::IndexOf(std::string_view value) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (SameText(items_[i], value)) return static_cast<int>(i);
    return -1;
}

std::string TStrings::Text() const {
    std::string r;
    for (const auto& s : items_) {
        r += s;
        r += '\n';
    }
    return r;
}

void TStrings::SetText(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    SetLines(std::move(lines));
}

std::string TStrings::CommaText() const {
    std::string r;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (i) r += ',';
        const std::string& s = items_[i];
        if (s.find_first_of(" ,\"") == std::string::npos && !s.empty()) {
            r += s;
            continue;
        }
        r += '"';
        for (char c : s) {
            if (c == '"') r += '"';
            r += c;
        }
        r += '"';
    }
    return r;
}

void TStrings::SetLines(std::vector<std::string> lines) {
    if (lines == items_) return;
    items_ = std::move(lines);
    Changed();
}

void TStrings::Assign(const TPersistent& source) {
    if (const auto* s = dynamic_cast<const TStrings*>(&source)) {
        SetLines(s->items_);
        return;
    }
    TPersistent::Assign(source);
}

void TStrings::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0 && changedInUpdate_) {
        changedInUpdate_ = false;
        Changed();
    }
}

void TStrings::Changed() {
    if (updateCount_ > 0) {
        changedInUpdate_ = true;
        return;
    }
    if (ownerHook) ownerHook();
    if (OnChange) OnChange(this);
}

}  // namespace quillon
