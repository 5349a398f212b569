// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sys/string_table.h"

#include <map>

namespace quillon {
namespace {

std::map<int, std::string>& Table() {
    static std::map<int, std::string> table;
    return table;
}

}  // namespace

std::optional<std::string> FindResourceString(int id) {
    const auto it = Table().find(id);
    if (it == Table().end()) return std::nullopt;
    return it->second;
}

std::string LoadStr(int id) {
    return FindResourceString(id).value_or(std::string());
}

void SetResourceString(int id, const std::string& text) {
    if (text.empty()) {
        Table().erase(id);
    } else {
        Table()[id] = text;
    }
}

}  // namespace quillon
