// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sys/desktop.h"

#include "platform/sys/cursor_images.h"

#include <mutex>

#include "platform/sys/sysutils.h"

namespace quillon {

std::vector<int> MessageBoxAnswers(unsigned flags) {
    switch (flags & 0xF) {
        case MB_OKCANCEL:
            return {IDOK, IDCANCEL};
        case MB_ABORTRETRYIGNORE:
            return {IDABORT, IDRETRY, IDIGNORE};
        case MB_YESNOCANCEL:
            return {IDYES, IDNO, IDCANCEL};
        case MB_YESNO:
            return {IDYES, IDNO};
        case MB_RETRYCANCEL:
            return {IDRETRY, IDCANCEL};
        default:
            return {IDOK};
    }
}

int MessageBoxDefaultAnswer(unsigned flags) {
    const std::vector<int> answers = MessageBoxAnswers(flags);
    const std::size_t index = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
    return index < answers.size() ? answers[index] : answers.front();
}

// ---------------------------------------------------------------- headless desktop

int HeadlessDesktop::MessageBox(const std::string& text, const std::string& caption,
                                unsigned flags) {
    int answer = MessageBoxDefaultAnswer(flags);
    if (!boxAnswers.empty()) {
        answer = boxAnswers.front();
        boxAnswers.pop_front();
    }
    boxes.push_back(Box{text, caption, flags, answer});
    return answer;
}

bool HeadlessDesktop::OpenDocument(const std::string& target) {
    openedDocuments.push_back(target);
    return openResult;
}

bool HeadlessDesktop::ShowHelp(const std::string& helpFile, const std::string& topic) {
    helpRequests.emplace_back(helpFile, topic);
    return helpResult;
}

std::optional<std::string> HeadlessDesktop::ReadSetting(const std::string& key,
                                                        const std::string& subkey,
                                                        const std::string& name) {
    if (settingsStore) return settingsStore->ReadSetting(key, subkey, name);
    auto it = settings.find({key, subkey, name});
    if (it == settings.end()) return std::nullopt;
    return it->second;
}

void HeadlessDesktop::WriteSetting(const std::string& key, const std::string& subkey,
                                   const std::string& name, const std::string& value) {
    if (settingsStore) return settingsStore->WriteSetting(key, subkey, name, value);
    settings[{key, subkey, name}] = value;
}

void HeadlessDesktop::DeleteSetting(const std::string& key, const std::string& subkey,
                                    const std::string& name) {
    if (settingsStore) return settingsStore->DeleteSetting(key, subkey, name);
    settings.erase({key, subkey, name});
}

void HeadlessDesktop::ProcessMessages() {
    ++processMessagesCalls;
    // Only what was pending when the call began: an event that posts another
    // does not keep this call from returning.
    std::size_t n = pendingEvents.size();
    while (n-- > 0 && !pendingEvents.empty()) {
        auto event = std::move(pendingEvents.front());
        pendingEvents.pop_front();
        if (event) event();
    }
}

void HeadlessDesktop::Reset() {
    *this = HeadlessDesktop();
}

namespace {

std::mutex backendMutex;
DesktopBackend* installed = nullptr;

}  // namespace

HeadlessDesktop& Headless() {
    static HeadlessDesktop headless;
    return headless;
}

DesktopBackend& Desktop() {
    std::lock_guard lock(backendMutex);
    return installed ? *installed : static_cast<DesktopBackend&>(Headless());
}

void SetDesktopBackend(DesktopBackend* backend) {
    std::lock_guard lock(backendMutex);
    installed = backend;
}

ScopedDesktopBackend::ScopedDesktopBackend(DesktopBackend* backend) {
    std::lock_guard lock(backendMutex);
    previous_ = installed;
    installed = backend;
}

ScopedDesktopBackend::~ScopedDesktopBackend() {
    std::lock_guard lock(backendMutex);
    installed = previous_;
}

// ---------------------------------------------------------------- services

void Beep() {
    Desktop().Beep();
}

int ExecuteFile(const std::string& fileName, const std::string& /*params*/,
                const std::string& /*defaultDir*/, int /*showCmd*/) {
    constexpr int kSuccess = 42;        // any value above 32 means success
    constexpr int kFileNotFound = 2;    // nothing to open
    constexpr int kNoAssociation = 31;  // no handler took it
    if (fileName.empty()) return kFileNotFound;
    return Desktop().OpenDocument(fileName) ? kSuccess : kNoAssociation;
}

std::string TClipboard::AsText() const {
    return Desktop().ClipboardText();
}
void TClipboard::SetAsText(const std::string& text) {
    Desktop().SetClipboardText(text);
}

TClipboard& Clipboard() {
    static TClipboard clipboard;
    return clipboard;
}

std::string TRegIniFile::ReadString(const std::string& section, const std::string& name,
                                    const std::string& fallback) const {
    auto v = Desktop().ReadSetting(key_, section, name);
    return v ? *v : fallback;
}

void TRegIniFile::WriteString(const std::string& section, const std::string& name,
                              const std::string& value) {
    Desktop().WriteSetting(key_, section, name, value);
}

int TRegIniFile::ReadInteger(const std::string& section, const std::string& name,
                             int fallback) const {
    return ReadIntegerValue(section, name).value_or(fallback);
}

Result<std::string> TRegIniFile::ReadStringValue(const std::string& section,
                                                 const std::string& name) const {
    auto v = Desktop().ReadSetting(key_, section, name);
    if (!v) return Error{key_ + "\\" + section + "\\" + name + ": no such value"};
    return std::move(*v);
}

Result<int> TRegIniFile::ReadIntegerValue(const std::string& section,
                                          const std::string& name) const {
    Result<std::string> text = ReadStringValue(section, name);
    if (!text) return text.error();
    int value = 0;
    if (!TryStrToInt(*text, value))
        return Error{key_ + "\\" + section + "\\" + name + ": '" + *text + "' is not an integer"};
    return value;
}

void TRegIniFile::WriteInteger(const std::string& section, const std::string& name, int value) {
    WriteString(section, name, std::to_string(value));
}

bool TRegIniFile::ValueExists(const std::string& section, const std::string& name) const {
    return Desktop().ReadSetting(key_, section, name).has_value();
}

void TRegIniFile::DeleteKey(const std::string& section, const std::string& name) {
    Desktop().DeleteSetting(key_, section, name);
}

// ---------------------------------------------------------------- cursors

namespace {

struct CursorName {
    const char* name;
    TCursor cursor;
};

constexpr CursorName kStandardCursors[] = {
    {"crDefault", crDefault},     {"crNone", crNone},           {"crArrow", crArrow},
    {"crCross", crCross},         {"crIBeam", crIBeam},         {"crSizeNESW", crSizeNESW},
    {"crSizeNS", crSizeNS},       {"crSizeNWSE", crSizeNWSE},   {"crSizeWE", crSizeWE},
    {"crUpArrow", crUpArrow},     {"crHourGlass", crHourGlass}, {"crDrag", crDrag},
    {"crNoDrop", crNoDrop},       {"crHSplit", crHSplit},       {"crVSplit", crVSplit},
    {"crMultiDrag", crMultiDrag}, {"crSQLWait", crSQLWait},     {"crNo", crNo},
    {"crAppStart", crAppStart},   {"crHelp", crHelp},           {"crHandPoint", crHandPoint},
    {"crSizeAll", crSizeAll},
};

std::mutex cursorMutex;
std::map<std::string, TCursor>& RegisteredCursors() {
    static std::map<std::string, TCursor> names;
    return names;
}

}  // namespace

TCursor CursorByName(std::string_view name, TCursor fallback) {
    for (const CursorName& c : kStandardCursors)
        if (SameText(c.name, name)) return c.cursor;
    std::lock_guard lock(cursorMutex);
    auto it = RegisteredCursors().find(UpperCase(name));
    return it == RegisteredCursors().end() ? fallback : it->second;
}

void RegisterCursorName(std::string_view name, TCursor cursor) {
    std::lock_guard lock(cursorMutex);
    RegisteredCursors()[UpperCase(name)] = cursor;
}

namespace {
std::map<TCursor, TCursorImage>& CursorImages() {
    static std::map<TCursor, TCursorImage> images;
    return images;
}
}  // namespace

TCursor RegisterCursorImage(std::string_view name, TCursorImage image) {
    std::lock_guard lock(cursorMutex);
    const std::string key = UpperCase(name);
    auto it = RegisteredCursors().find(key);
    TCursor id;
    if (it != RegisteredCursors().end() && CursorImages().count(it->second)) {
        id = it->second;
    } else {
        // Numbers of their own, clear of the standard (negative) ones.
        id = 1000 + static_cast<TCursor>(CursorImages().size());
        RegisteredCursors()[key] = id;
    }
    CursorImages()[id] = std::move(image);
    return id;
}

const TCursorImage* CursorImageOf(TCursor cursor) {
    std::lock_guard lock(cursorMutex);
    auto it = CursorImages().find(cursor);
    // Entries are never removed, so the pointer stays good.
    return it == CursorImages().end() ? nullptr : &it->second;
}

std::string CursorToIdent(TCursor cursor) {
    for (const CursorName& c : kStandardCursors)
        if (c.cursor == cursor) return c.name;
    return "";
}

}  // namespace quillon
