// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vcl/components.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/properties.h"

namespace quillon {
namespace {

// Records its own destruction and the removals it is told about.
class Probe : public TComponent {
  public:
    Probe(TComponent* owner, std::string tag, std::vector<std::string>* log)
        : TComponent(owner), tag_(std::move(tag)), log_(log) {}
    ~Probe() override { log_->push_back("~" + tag_); }

    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (op == opRemove) {
            log_->push_back(tag_ + " told of " + c->Name());
            if (c == ref) ref = nullptr;
        }
    }
    void SetRef(TComponent* c) {
        ref = c;
        if (c) c->FreeNotification(this);
    }

    TComponent* ref = nullptr;

  private:
    std::string tag_;
    std::vector<std::string>* log_;
};

TEST(Components, OwnerDestroysOwnedInReverseOrderOfCreation) {
    std::vector<std::string> log;
    auto owner = std::make_unique<TComponent>(nullptr);
    auto* a = new Probe(owner.get(), "a", &log);
    new Probe(owner.get(), "b", &log);
    new Probe(a, "a1", &log);  // owned by a: goes with a
    new Probe(owner.get(), "c", &log);
    EXPECT_EQ(owner->ComponentCount(), 3);
    owner.reset();
    // A component's own destructor runs before those of the parts it owns.
    EXPECT_EQ(log, (std::vector<std::string>{"~c", "~b", "~a", "~a1"}));
}

TEST(Components, DestroyingOneTellsItsSiblingsAndClearsReferences) {
    std::vector<std::string> log;
    TComponent owner(nullptr);
    auto* a = new Probe(&owner, "a", &log);
    auto* b = new Probe(&owner, "b", &log);
    b->SetName("B");
    a->SetRef(b);
    delete b;
    EXPECT_EQ(a->ref, nullptr);
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), a);
    // Told once through the free-notification link, once as the owner's sibling.
    EXPECT_EQ(log, (std::vector<std::string>{"~b", "a told of B", "a told of B"}));
}

TEST(Components, FreeNotificationAcrossOwners) {
    std::vector<std::string> log;
    auto ownerA = std::make_unique<TComponent>(nullptr);
    auto ownerB = std::make_unique<TComponent>(nullptr);
    auto* watcher = new Probe(ownerA.get(), "w", &log);
    auto* target = new Probe(ownerB.get(), "t", &log);
    target->SetName("Target");
    watcher->SetRef(target);
    ownerB.reset();
    EXPECT_EQ(watcher->ref, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"~t", "w told of Target"}));
    // The link is gone: destroying the watcher now touches nothing freed.
    ownerA.reset();
    EXPECT_EQ(log.back(), "~w");
}

TEST(Components, NamesAreIdentifiersUniqueWithinTheOwner) {
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName("Edit1");
    EXPECT_THROW(b->SetName("edit1"), EComponentError);
    EXPECT_THROW(b->SetName("1Edit"), EComponentError);
    EXPECT_THROW(b->SetName("Ed it"), EComponentError);
    b->SetName("Edit2");
    EXPECT_EQ(owner.FindComponent("EDIT2"), b);
    EXPECT_EQ(owner.FindComponent("Edit3"), nullptr);
    EXPECT_EQ(b->ComponentIndex(), 1);
    try {
        b->SetName("Edit1");
        FAIL();
    } catch (const EComponentError& e) {
        EXPECT_STREQ(e.what(), "A component named Edit1 already exists");
    }
    EXPECT_THROW(owner.Components(2), EListError);
}

TEST(Components, EventsFireOnlyWhenAssignedAndKeepTheirHandlerName) {
    TNotifyEvent ev;
    EXPECT_FALSE(ev);
    TObject* seen = nullptr;
    TComponent sender(nullptr);
    ev = [&](TObject* s) { seen = s; };
    ASSERT_TRUE(ev);
    ev(&sender);
    EXPECT_EQ(seen, &sender);
    EXPECT_EQ(ev.HandlerName(), "");

    TComponent form(nullptr);
    int calls = 0;
    form.DefineMethod<void(TObject*)>("ButtonClick", [&](TObject*) { ++calls; });
    TNotifyEvent bound = form.MethodAsEvent<void(TObject*)>("buttonclick");
    ASSERT_TRUE(bound);
    EXPECT_EQ(bound.HandlerName(), "buttonclick");
    bound(&form);
    EXPECT_EQ(calls, 1);
    // A handler of another signature does not bind.
    EXPECT_FALSE((form.MethodAsEvent<void(TObject*, char32_t&)>("ButtonClick")));
    ev = nullptr;
    EXPECT_FALSE(ev);
}

TEST(Components, StrToIntRaisesTheConversionError) {
    EXPECT_EQ(StrToInt(" 42 "), 42);
    EXPECT_EQ(StrToInt("-17"), -17);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    try {
        StrToInt("12a");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'12a' is not a valid integer value");
    }
    EXPECT_THROW(StrToInt(""), EConvertError);
    EXPECT_THROW(StrToInt("2147483648"), EConvertError);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToIntDef("x", 7), 7);
}

}  // namespace
}  // namespace quillon
