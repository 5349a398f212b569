// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/qt_output_file.h"

namespace quillon {

Result<std::unique_ptr<QtOutputFile>> QtOutputFile::Open(const std::string& path) {
    Result<AtomicFile> file = AtomicFile::Create(path, OutputFileOptions());
    if (!file) return Error{"cannot write '" + path + "': " + file.reason()};
    std::unique_ptr<QtOutputFile> out(new QtOutputFile(std::move(*file)));
    if (!out->device_.open(out->file_.Fd(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
        return Error{"cannot write '" + path + "': " + out->device_.errorString().toStdString()};
    return out;
}

Result<void> QtOutputFile::Commit() {
    const std::string& path = file_.Path();
    // A write that failed on the way (a full disk) is remembered by the device.
    if (!device_.flush() || device_.error() != QFileDevice::NoError) {
        const std::string why = device_.errorString().toStdString();
        device_.close();
        file_.Discard();
        return Error{"cannot write '" + path + "': " + why};
    }
    device_.close();
    if (Result<void> committed = file_.Commit(); !committed)
        return Error{"cannot write '" + path + "': " + committed.reason()};
    return Ok();
}

}  // namespace quillon
