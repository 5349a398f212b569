// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sys/notice.h"

#include <cstdio>
#include <set>
#include <utility>

namespace quillon {

namespace {

struct Notices {
    NoticeSink sink;
    std::set<std::string> told;
};

Notices& State() {
    static Notices state;
    return state;
}

}  // namespace

void InputNotice(const std::string& line) {
    Notices& n = State();
    if (!n.told.insert(line).second) return;
    if (n.sink)
        n.sink(line);
    else
        std::fprintf(stderr, "quillon: %s\n", line.c_str());
}

NoticeSink SetNoticeSink(NoticeSink sink) {
    Notices& n = State();
    n.told.clear();
    return std::exchange(n.sink, std::move(sink));
}

}  // namespace quillon
