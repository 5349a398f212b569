// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Lists of text lines: the lines of a memo, the items of a list or combo box
// and of a radio group, the SQL text of a query.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/vcl/components.h"

namespace quillon {

class TStrings : public TPersistent {
  public:
    TStrings() = default;
    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();

    int Count() const { return static_cast<int>(items_.size()); }
    // Raises EListError for an index outside the list.
    const std::string& Strings(int index) const;
    const std::string& operator[](int index) const { return Strings(index); }
    void SetString(int index, std::string value);

    int Add(std::string value);
    void Insert(int index, std::string value);
    void Delete(int index);
    void Clear();
    // First index of `value` (case-insensitive as list look-ups are), -1 if absent.
    int IndexOf(std::string_view value) const;
    void Exchange(int a, int b);

    // The lines joined, each followed by "\n" (classic line lists end every
    // line, including the last).
    std::string Text() const;
    // Splits at "\r\n", "\n" or "\r"; a final line break adds no empty line.
    void SetText(std::string_view text);
    // Comma-separated list; items with spaces, commas or quotes are double-quoted.
    std::string CommaText() const;

    const std::vector<std::string>& Lines() const { return items_; }
    void SetLines(std::vector<std::string> lines);

    void Assign(const TPersistent& source) override;
    bool Equals(const TStrings& other) const { return items_ == other.items_; }

    // Several changes as one: OnChange fires once at the end.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

    // Fired after every change (not during BeginUpdate/EndUpdate).
    TNotifyEvent OnChange;
    // For the list's owner (a memo keeps its text in step); fires with OnChange.
    std::function<void()> ownerHook;

  private:
    void Changed();
    void CheckIndex(int index, bool allowEnd) const;

    std::vector<std::string> items_;
    int updateCount_ = 0;
    bool changedInUpdate_ = false;
};

class TStringList : public TStrings {
  public:
    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();
};

}  // namespace quillon
