// SPDX-License-Identifier: GPL-2.0-or-later
// Removing components: a big form goes in one pass, and whoever refers to a
// component that goes is still told and forgets it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/screen.h"
#include "platform/vcl/components.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_controls.h"

namespace quillon {
namespace {

// Keeps a pointer to another component and forgets it when told of its removal.
class Watcher : public TComponent {
  public:
    explicit Watcher(TComponent* owner, std::vector<std::string>* log = nullptr)
        : TComponent(owner), log_(log) {}
    void Watch(TComponent* c) {
        watched = c;
        if (c) c->FreeNotification(this);
    }
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (op != opRemove) return;
        if (log_) log_->push_back(Name() + " told of " + c->Name());
        if (c == watched) watched = nullptr;
        if (c == trigger && victim) {
            TComponent* v = victim;
            victim = nullptr;
            delete v;  // a component told of a removal destroys another
        }
    }
    TComponent* watched = nullptr;
    TComponent* trigger = nullptr;
    TComponent* victim = nullptr;

  private:
    std::vector<std::string>* log_;
};

class ComponentRemoval : public ::testing::Test {
  protected:
    void SetUp() override { Headless().Reset(); }
    void TearDown() override { Headless().Reset(); }
};

// 20,000 controls: 500 panels on the form, each holding 20 labels and 19 edits,
// every label pointing at an edit of its panel; the form's active control and
// components outside the form refer into it.
TEST_F(ComponentRemoval, AFormOfTwentyThousandControlsIsCreatedAndDestroyed) {
    TComponent outside(nullptr);
    auto* farWatcher = new Watcher(&outside);
    auto* editWatcher = new Watcher(&outside);
    auto* panelWatcher = new Watcher(&outside);

    auto form = std::make_unique<TForm>(nullptr);
    form->SetName("Big");
    int controls = 0;
    TLabel* lastLabel = nullptr;
    TEdit* firstEdit = nullptr;
    for (int p = 0; p < 500; ++p) {
        auto* panel = new TPanel(form.get());
        panel->SetName("Panel" + std::to_string(p));
        panel->SetParent(form.get());
        ++controls;
        TEdit* edit = nullptr;
        for (int i = 0; i < 39; ++i) {
            const std::string n = std::to_string(p * 39 + i);
            if (i % 2 == 0) {
                auto* label = new TLabel(form.get());
                label->SetName("Label" + n);
                label->SetParent(panel);
                if (edit) label->SetFocusControl(edit);
                lastLabel = label;
            } else {
                edit = new TEdit(form.get());
                edit->SetName("Edit" + n);
                edit->SetParent(panel);
                if (!firstEdit) firstEdit = edit;
            }
            ++controls;
        }
        if (p == 250) panelWatcher->Watch(panel);
    }
    ASSERT_EQ(controls, 20000);
    ASSERT_EQ(form->ComponentCount(), 20000);
    ASSERT_EQ(form->ControlCount(), 500);
    ASSERT_NE(lastLabel->FocusControl(), nullptr);
    form->SetActiveControl(firstEdit);
    farWatcher->Watch(lastLabel);
    editWatcher->Watch(firstEdit);

    form.reset();

    // Everything went, and those outside that referred into the form were told.
    EXPECT_EQ(farWatcher->watched, nullptr);
    EXPECT_EQ(editWatcher->watched, nullptr);
    EXPECT_EQ(panelWatcher->watched, nullptr);
    EXPECT_EQ(outside.ComponentCount(), 3);
}

TEST_F(ComponentRemoval, ALabelForgetsItsFocusControlWhenThatOneGoesBeforeTheForm) {
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetName("Data");
    edit->SetParent(&form);
    auto* label = new TLabel(&form);
    label->SetName("DataLabel");
    label->SetParent(&form);
    label->SetFocusControl(edit);
    auto* other = new TEdit(&form);
    other->SetName("Other");
    other->SetParent(&form);
    form.SetActiveControl(edit);
    ASSERT_EQ(edit->TabOrder(), 0);
    ASSERT_EQ(other->TabOrder(), 1);

    delete edit;

    EXPECT_EQ(label->FocusControl(), nullptr);
    EXPECT_EQ(form.ActiveControl(), nullptr);
    EXPECT_EQ(form.ComponentCount(), 2);
    EXPECT_EQ(form.ControlCount(), 2);
    // The form lives on: its tab order closes the gap.
    EXPECT_EQ(other->TabOrder(), 0);
}

TEST_F(ComponentRemoval, ControlsDestroyedOneByOneFromALiveFormLeaveItConsistent) {
    TForm form(nullptr);
    std::vector<TEdit*> edits;
    for (int i = 0; i < 6; ++i) {
        auto* e = new TEdit(&form);
        e->SetName("E" + std::to_string(i));
        e->SetParent(&form);
        edits.push_back(e);
    }
    delete edits[2];  // from the middle
    delete edits[5];  // the last created
    delete edits[0];  // the first
    ASSERT_EQ(form.ComponentCount(), 3);
    EXPECT_EQ(form.Components(0), edits[1]);
    EXPECT_EQ(form.Components(1), edits[3]);
    EXPECT_EQ(form.Components(2), edits[4]);
    ASSERT_EQ(form.ControlCount(), 3);
    EXPECT_EQ(form.Controls(2), edits[4]);
    EXPECT_EQ(edits[1]->TabOrder(), 0);
    EXPECT_EQ(edits[3]->TabOrder(), 1);
    EXPECT_EQ(edits[4]->TabOrder(), 2);
    EXPECT_EQ(form.FindComponent("E5"), nullptr);
}

// The owner's notice goes to each part still there exactly once, also when one
// of them destroys another while being told, and never to one already gone.
TEST_F(ComponentRemoval, APartThatDestroysASiblingWhileToldLeavesTheOthersToldOnce) {
    std::vector<std::string> log;
    TComponent owner(nullptr);
    std::vector<Watcher*> w;
    for (int i = 0; i < 5; ++i) {
        w.push_back(new Watcher(&owner, &log));
        w.back()->SetName("W" + std::to_string(i));
    }
    auto* gone = new TComponent(&owner);
    gone->SetName("Gone");
    w[1]->trigger = gone;
    w[1]->victim = w[3];  // later in the list: must not be told after it went
    w[2]->trigger = gone;
    w[2]->victim = w[0];  // earlier in the list: already told

    delete gone;

    EXPECT_EQ(log, (std::vector<std::string>{
                       "W0 told of Gone", "W1 told of Gone",
                       // W1 destroys W3: the others are told of W3 first
                       "W0 told of W3", "W1 told of W3", "W2 told of W3", "W4 told of W3",
                       "W2 told of Gone",
                       // W2 destroys W0
                       "W1 told of W0", "W2 told of W0", "W4 told of W0",
                       "W4 told of Gone"}));
    EXPECT_EQ(owner.ComponentCount(), 3);
}

}  // namespace
}  // namespace quillon
