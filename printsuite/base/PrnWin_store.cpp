#include "printsuite/base/PrnWin_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/sys/desktop.h"
#include "platform/vcl/forms.h"
#include "printsuite/base/Vex_MFunc.h"

namespace quillon {

std::string FloatToStr(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

std::vector<std::pair<std::string, std::string>> JobSettingsValues(const JobSettings& s) {
    return {
        {kPageHeightValue, std::to_string(s.pageHeight)},
        {kPageWidthValue, std::to_string(s.pageWidth)},
        {kOrientationValue, s.landscape ? "Landscape" : "Portrait"},
        {kViewBackgroundValue, std::to_string(s.viewBackground)},
        {kPreviewHeadingValue, s.heading},
        {kPrinterNameValue, s.printerName},
        {kPrinterIndexValue, std::to_string(s.printerIndex)},
        {kZoomFactorValue, FloatToStr(s.zoomFactor)},
        {kDirectoryValue, s.directory},
    };
}

void WriteJobSettings(const JobSettings& settings) {
    TRegIniFile store(kSettingsKey);
    for (const auto& [name, value] : JobSettingsValues(settings))
        store.WriteString(kSettingsSubkey, name, value);
}

std::string ReadJobSetting(const std::string& name, const std::string& fallback) {
    return TRegIniFile(kSettingsKey).ReadString(kSettingsSubkey, name, fallback);
}

void ShowPrintError(const std::string& message) {
    Application().MessageBox(message, "", MB_OK | MB_ICONINFORMATION);
}

void ProcessPendingMessages() {
    Application().ProcessMessages();
}

}  // namespace quillon

// ---------------------------------------------------------------------------------------------
// Page files

namespace quillon {

bool WritePageFile(const std::string& path, std::span<const std::uint8_t> data,
                   std::string* error) {
    if (path.empty()) {
        if (error) *error = "no directory for page files";
        return false;
    }
    // O_NOFOLLOW: a link put in place of a page file is never written through.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (error) *error = path + ": " + std::strerror(errno);
        return false;
    }
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (error) *error = path + ": " + std::strerror(errno);
            close(fd);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (close(fd) != 0) {
        if (error) *error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool ReadPageFile(const std::string& path, std::vector<std::uint8_t>& data, std::string* error) {
    data.clear();
    const int fd = path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error =
                (path.empty() ? std::string("no page file") : path + ": " + std::strerror(errno));
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error) *error = path + ": not a page file";
        close(fd);
        return false;
    }
    std::uint8_t buf[65536];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (error) *error = path + ": " + std::strerror(errno);
            close(fd);
            return false;
        }
        if (n == 0) break;
        data.insert(data.end(), buf, buf + n);
    }
    close(fd);
    return true;
}

bool PageFileExists(int n, TSendTo kind) {
    const std::string path = PageFileName(n, kind);
    struct stat st {};
    return !path.empty() && lstat(path.c_str(), &st) == 0;
}

}  // namespace quillon
