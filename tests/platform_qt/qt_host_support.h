// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Helpers of the Qt host's tests: a form built in code and shown, and the
// widgets of its controls.

#include <QApplication>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/vcl/ext_controls.h"
#include "platform/vcl/forms.h"
#include "platform/qt/qt_peer.h"
#include "platform/vcl/std_controls.h"

namespace quillon::qttest {

// The widget that shows `control` (nullptr when it is not realised).
inline QWidget* WidgetOf(const TControl* control) {
    QtControlPeer* peer = QtControlPeer::Of(control);
    return peer ? peer->Widget() : nullptr;
}

template <class W>
W* WidgetAs(const TControl* control) {
    return qobject_cast<W*>(WidgetOf(control));
}

// Lets pending events run (deferred refreshes, posted work).
inline void Pump() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// A form of the given client size, destroyed with the object.
class TestForm {
  public:
    explicit TestForm(int clientWidth = 300, int clientHeight = 200) : form_(new TForm(nullptr)) {
        form_->SetName("TestFrm");
        form_->SetBorderStyle(bsSingle);
        form_->SetClientWidth(clientWidth);
        form_->SetClientHeight(clientHeight);
        form_->Font().SetName("MS Sans Serif");
        form_->Font().SetHeight(-13);
    }
    ~TestForm() {
        delete form_;
        Pump();
    }
    TestForm(const TestForm&) = delete;
    TestForm& operator=(const TestForm&) = delete;

    TForm& operator*() const { return *form_; }
    TForm* operator->() const { return form_; }
    TForm* get() const { return form_; }

    // A control of kind C at the given bounds, inside `parent` (the form when null).
    template <class C>
    C* Add(const char* name, int left, int top, int width, int height,
           TWinControl* parent = nullptr) {
        auto* c = new C(form_);
        c->SetName(name);
        c->SetParent(parent ? parent : form_);
        c->SetBounds(left, top, width, height);
        return c;
    }

  private:
    TForm* form_;
};

}  // namespace quillon::qttest
