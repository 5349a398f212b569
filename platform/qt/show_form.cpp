// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/show_form.h"

#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "platform/data/db.h"
#include "platform/vcl/form_file.h"
#include "platform/vcl/forms.h"
#include "platform/gdi/graphics.h"
#include "platform/qt/qt_host.h"

namespace quillon {

namespace {

}  // namespace

int RunShowForm(const std::string& path, std::string& err) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > limits::kMaxFormFileBytes) {
        err = path + ":1: the file is too large for a form file\n";
        return 1;
    }
    std::string text;
    {
        const Result<std::vector<std::uint8_t>> bytes = ReadFileBytes(path);
        if (!bytes) {
            err = path + ":1: cannot read the file: " + bytes.reason() + "\n";
            return 1;
        }
        text.assign(bytes->begin(), bytes->end());
    }

    QtHost host;
    TFormReadOptions options;
    options.fileName = path;
    options.ignoreMissingHandlers = true;
    options.unknownRootClass = &TForm::StaticClassInfo();
    RegisterDataClasses();  // forms may hold tables, queries and data-aware controls
    Result<std::unique_ptr<TComponent>> created = CreateComponent(text, &Application(), options);
    std::string().swap(text);  // the form holds what it needs of it
    if (!created) {
        err = created.reason() + "\n";
        return 1;
    }
    std::unique_ptr<TComponent> root = std::move(*created);

    TCustomForm* form = dynamic_cast<TCustomForm*>(root.get());
    if (!form) {
        auto* control = dynamic_cast<TControl*>(root.get());
        if (!control) {
            err = path + ":1: " + root->ClassName() + " is not a form or a control\n";
            return 1;
        }
        // A single control: shown in a form that fits it.
        auto* host = new TForm(&Application());
        host->SetCaption(root->Name().empty() ? root->ClassName() : root->Name());
        if (!root->Name().empty()) host->SetName(root->Name() + "Frm");
        host->SetClientWidth(control->Left() + control->Width() + 8);
        host->SetClientHeight(control->Top() + control->Height() + 8);
        control->SetParent(host);
        root.release();  // owned by the application, shown in the form
        form = host;
    } else {
        root.release();  // owned by the application
    }
    Application().SetMainForm(form);
    Application().Run();
    return 0;
}

}  // namespace quillon
