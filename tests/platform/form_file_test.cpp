// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vcl/form_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/vcl/components.h"
#include "platform/vcl/properties.h"
#include "platform/vcl/strings.h"

namespace quillon {
namespace {

enum TFruit { frApple, frPear, frPlum };
const TEnumInfo kFruitNames{"TFruit",
                            {{"frApple", frApple}, {"frPear", frPear}, {"frPlum", frPlum}}};

// A plain sub-object with a table of its own (as fonts and pens have).
class TLook {
  public:
    int Size() const { return size_; }
    void SetSize(int v) { size_ = v; }
    const std::string& Face() const { return face_; }
    void SetFace(std::string v) { face_ = std::move(v); }
    static const TClassInfo& Info() {
        static const TClassInfo& info = TClassBuilder<TLook, TLook>("TLook", nullptr)
                                            .Int("Size", &TLook::Size, &TLook::SetSize, 8)
                                            .Str("Face", &TLook::Face, &TLook::SetFace, "Arial")
                                            .Abstract();
        return info;
    }

  private:
    int size_ = 8;
    std::string face_ = "Arial";
};

class TThing : public TComponent {
    QUILLON_CLASS_INFO()
  public:
    explicit TThing(TComponent* owner) : TComponent(owner) {}

    int Count() const { return count_; }
    void SetCount(int v) { count_ = v; }
    bool Flag() const { return flag_; }
    void SetFlag(bool v) { flag_ = v; }
    const std::string& Text() const { return text_; }
    void SetText(std::string v) {
        if (v == "forbidden") throw EConvertError("no such text");
        text_ = std::move(v);
    }
    TFruit Fruit() const { return fruit_; }
    void SetFruit(TFruit f) { fruit_ = f; }
    std::uint32_t Basket() const { return basket_; }
    void SetBasket(std::uint32_t b) { basket_ = b; }
    double Ratio() const { return ratio_; }
    void SetRatio(double r) { ratio_ = r; }
    std::int32_t Colour() const { return colour_; }
    void SetColour(std::int32_t c) { colour_ = c; }
    TStrings& Items() { return items_; }
    const std::vector<std::uint8_t>& Data() const { return data_; }
    void SetData(std::vector<std::uint8_t> d) { data_ = std::move(d); }
    TThing* Buddy() const { return buddy_; }
    void SetBuddy(TThing* b) {
        buddy_ = b;
        if (b) b->FreeNotification(this);
    }
    TLook& Look() { return look_; }

    TNotifyEvent OnPoke;
    TEvent<void(TObject*, char32_t&)> OnKey;

    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (op == opRemove && c == buddy_) buddy_ = nullptr;
    }

    // Children for nesting: only a TBox takes them.
    TThing* parent = nullptr;
    std::vector<TThing*> children;
    bool HasParent() const override { return parent != nullptr; }
    bool SetParentComponent(TComponent* p) override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override {
        for (TThing* c : children)
            if (c->Owner() == root) proc(c);
        TComponent::GetChildren(proc, root);
    }
    int loadedCalls = 0;
    void Loaded() override {
        TComponent::Loaded();
        ++loadedCalls;
    }

  private:
    int count_ = 0;
    bool flag_ = true;
    std::string text_;
    TFruit fruit_ = frPear;
    std::uint32_t basket_ = 1u << frApple;
    double ratio_ = 1.5;
    std::int32_t colour_ = 0;
    TStringList items_;
    std::vector<std::uint8_t> data_;
    TThing* buddy_ = nullptr;
    TLook look_;
};

class TBox : public TThing {
    QUILLON_CLASS_INFO()
  public:
    explicit TBox(TComponent* owner) : TThing(owner) { SetCount(5); }
};

// A class without a factory cannot be named in a file.
class TAbstractThing : public TThing {
    QUILLON_CLASS_INFO()
  public:
    using TThing::TThing;
};

bool TThing::SetParentComponent(TComponent* p) {
    auto* box = dynamic_cast<TBox*>(p);
    if (!box) return dynamic_cast<TThing*>(p) == nullptr;  // the root (a plain component) is fine
    parent = box;
    box->children.push_back(this);
    return true;
}

const TClassInfo& TThing::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TThing>("TThing", &TComponent::StaticClassInfo())
            .Int("Count", &TThing::Count, &TThing::SetCount, 0, -100, 100)
            .Bool("Flag", &TThing::Flag, &TThing::SetFlag, true)
            .Str("Text", &TThing::Text, &TThing::SetText)
            .Enum("Fruit", kFruitNames, &TThing::Fruit, &TThing::SetFruit, frPear)
            .Set("Basket", kFruitNames, &TThing::Basket, &TThing::SetBasket, 1u << frApple)
            .Float("Ratio", &TThing::Ratio, &TThing::SetRatio, 1.5)
            .Color("Colour", &TThing::Colour, &TThing::SetColour, 0)
            .Strings("Items", &TThing::Items)
            .Binary("Data", &TThing::Data, &TThing::SetData)
            .Ref<TThing>("Buddy", &TThing::Buddy, &TThing::SetBuddy)
            .Object("Look", TLook::Info(), &TThing::Look)
            .Event("OnPoke", &TThing::OnPoke)
            .Event("OnKey", &TThing::OnKey)
            .Factory();
    return info;
}

const TClassInfo& TBox::StaticClassInfo() {
    static const TClassInfo& info = TClassBuilder<TBox>("TBox", &TThing::StaticClassInfo())
                                        .Int("Count", &TBox::Count, &TBox::SetCount, 5)
                                        .Factory();
    return info;
}

const TClassInfo& TAbstractThing::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TAbstractThing>("TAbstractThing", &TThing::StaticClassInfo()).Abstract();
    return info;
}

// The root of the test files: a plain named component with handlers.
class TTestForm : public TBox {
    QUILLON_CLASS_INFO()
  public:
    explicit TTestForm(TComponent* owner) : TBox(owner) {
        DefineMethod<void(TObject*)>("ThingPoke", [this](TObject* s) { poked.push_back(s); });
        DefineMethod<void(TObject*, char32_t&)>("ThingKey",
                                                [](TObject*, char32_t& k) { k = U'X'; });
    }
    std::vector<TObject*> poked;
};

const TClassInfo& TTestForm::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TTestForm>("TTestForm", &TBox::StaticClassInfo()).Factory();
    return info;
}

class FormFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TTestForm::StaticClassInfo();
        // Registered by hand: a class without a factory is named but not created.
        RegisterClass(TAbstractThing::StaticClassInfo());
    }

    // Reads `text` into a fresh form; returns the error text or "".
    std::string Read(const std::string& text, TTestForm& form) {
        TFormReadOptions o;
        o.fileName = "test.form";
        auto read = ReadComponent(text, form, o);
        return read.reason();
    }
};

TEST_F(FormFileTest, ReadsEveryKindOfValue) {
    TTestForm form(nullptr);
    const std::string text = R"(object Form1: TTestForm
  Count = -13
  object One: TThing
    Count = 42
    Flag = false
    Text = 'it''s a '#13#10'test' +
      ' with '#$263A' and #'
    Fruit = frPlum
    Basket = [frPear, frPlum]
    Ratio = 0.25
    Colour = $00FF8000
    Items.Strings = (
      'first'
      ''
      'third')
    Data = {
      0A0b FF
      10}
    Buddy = Two
    Look.Size = 12
    Look.Face = 'Courier New'
    OnPoke = ThingPoke
    OnKey = ThingKey
  end
  object Two: TThing
    Buddy = Form1.One
    Colour = clBtnFace
    Items = ('x')
    Ratio = 3
  end
end
)";
    ASSERT_EQ(Read(text, form), "");
    EXPECT_EQ(form.Name(), "Form1");
    EXPECT_EQ(form.Count(), -13);
    ASSERT_EQ(form.ComponentCount(), 2);
    auto* one = dynamic_cast<TThing*>(form.FindComponent("One"));
    auto* two = dynamic_cast<TThing*>(form.FindComponent("Two"));
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->Count(), 42);
    EXPECT_FALSE(one->Flag());
    EXPECT_EQ(one->Text(), "it's a \r\ntest with \xE2\x98\xBA and #");
    EXPECT_EQ(one->Fruit(), frPlum);
    EXPECT_EQ(one->Basket(), (1u << frPear) | (1u << frPlum));
    EXPECT_DOUBLE_EQ(one->Ratio(), 0.25);
    EXPECT_EQ(one->Colour(), 0x00FF8000);
    EXPECT_EQ(one->Items().Lines(), (std::vector<std::string>{"first", "", "third"}));
    EXPECT_EQ(one->Data(), (std::vector<std::uint8_t>{0x0A, 0x0B, 0xFF, 0x10}));
    EXPECT_EQ(one->Buddy(), two);
    EXPECT_EQ(two->Buddy(), one);
    EXPECT_EQ(one->Look().Size(), 12);
    EXPECT_EQ(one->Look().Face(), "Courier New");
    EXPECT_DOUBLE_EQ(two->Ratio(), 3.0);
    EXPECT_EQ(static_cast<std::uint32_t>(two->Colour()), 0x8000000Fu);  // the system colour
    EXPECT_EQ(two->Items().Lines(), std::vector<std::string>{"x"});
    ASSERT_TRUE(one->OnPoke);
    one->OnPoke(one);
    EXPECT_EQ(form.poked, std::vector<TObject*>{one});
    char32_t key = U'a';
    one->OnKey(one, key);
    EXPECT_EQ(key, U'X');
    // Loading ends with Loaded on every component read, and the state cleared.
    EXPECT_EQ(form.loadedCalls, 1);
    EXPECT_EQ(one->loadedCalls, 1);
    EXPECT_FALSE(one->IsLoading());
    // References read from the file follow removal.
    delete two;
    EXPECT_EQ(one->Buddy(), nullptr);
}

TEST_F(FormFileTest, NestedObjectsBecomeChildrenAndWriteBackTheSame) {
    TTestForm form(nullptr);
    const std::string text = R"(object Form1: TTestForm
  object Outer: TBox
    object Inner: TThing
      Text = 'inside'
    end
  end
  object Free: TThing
  end
end
)";
    ASSERT_EQ(Read(text, form), "");
    auto* outer = dynamic_cast<TBox*>(form.FindComponent("Outer"));
    auto* inner = dynamic_cast<TThing*>(form.FindComponent("Inner"));
    ASSERT_TRUE(outer && inner);
    EXPECT_EQ(inner->Owner(), &form);
    EXPECT_EQ(inner->parent, outer);
    EXPECT_EQ(outer->parent, &form);
    EXPECT_EQ(WriteComponent(form), text);
}

TEST_F(FormFileTest, WritesOnlyWhatDiffersFromTheStoredDefaults) {
    TTestForm form(nullptr);
    form.SetName("Form1");
    EXPECT_EQ(WriteComponent(form), "object Form1: TTestForm\nend\n");

    auto* t = new TThing(&form);
    t->SetName("T");
    t->SetParentComponent(&form);
    t->SetCount(0);  // the default: not written
    t->SetFlag(false);
    t->SetText("a'b\tc");
    t->SetFruit(frApple);
    t->SetBasket(0);
    t->SetRatio(2.75);
    t->SetColour(0x00123456);
    t->Items().Add("one");
    t->Items().Add("tw'o");
    t->SetData({1, 0xAB});
    t->SetBuddy(t);
    t->Look().SetSize(9);
    t->OnPoke = form.MethodAsEvent<void(TObject*)>("ThingPoke");
    t->OnKey = [](TObject*, char32_t&) {};  // no handler name: cannot be written
    form.SetCount(5);                       // TBox's stored default is 5, TThing's is 0
    // Names in order, handlers last.
    const std::string expected = R"(object Form1: TTestForm
  object T: TThing
    Basket = []
    Buddy = T
    Colour = $00123456
    Data = {
      01AB}
    Flag = False
    Fruit = frApple
    Items.Strings = (
      'one'
      'tw''o')
    Look.Size = 9
    Ratio = 2.75
    Text = 'a''b'#9'c'
    OnPoke = ThingPoke
  end
end
)";
    const std::string written = WriteComponent(form);
    EXPECT_EQ(written, expected);

    // And it reads back to the same objects.
    TTestForm again(nullptr);
    ASSERT_EQ(Read(written, again), "");
    EXPECT_EQ(WriteComponent(again), written);
}

TEST_F(FormFileTest, CreatesTheRootFromTheRegistry) {
    auto c = CreateComponent("object F: TTestForm\n  Count = 7\nend\n", nullptr);
    ASSERT_TRUE(c);
    ASSERT_NE(c->get(), nullptr);
    auto* f = dynamic_cast<TTestForm*>(c->get());
    ASSERT_TRUE(f);
    EXPECT_EQ(f->Count(), 7);

    auto none = CreateComponent("object F: TNoSuchForm\nend\n", nullptr,
                                TFormReadOptions{"x.form", false, nullptr});
    EXPECT_FALSE(none);
    EXPECT_EQ(none.reason(), "x.form:1: unknown class 'TNoSuchForm'");

    // A stand-in class for unknown roots, and handlers that are left unbound.
    TFormReadOptions o{"x.form", true, &TTestForm::StaticClassInfo()};
    auto standIn =
        CreateComponent("object F: TNoSuchForm\n  OnPoke = Missing\nend\n", nullptr, o);
    ASSERT_TRUE(standIn) << standIn.reason();
    EXPECT_EQ((*standIn)->ClassName(), "TTestForm");
    EXPECT_FALSE(dynamic_cast<TThing&>(**standIn).OnPoke);
}

// One bad file per fault, each with its exact message.
TEST_F(FormFileTest, BadFilesFailWithFileLineAndReason) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"object F: TTestForm\n  object X: TNoSuch\n  end\nend\n",
         "test.form:2: unknown class 'TNoSuch'"},
        {"object F: TTestForm\n  object X: TAbstractThing\n  end\nend\n",
         "test.form:2: class 'TAbstractThing' cannot be created"},
        {"object F: TTestForm\n  Cuont = 1\nend\n",
         "test.form:2: unknown property 'Cuont' of TTestForm"},
        {"object F: TTestForm\n  Look.Weight = 1\nend\n",
         "test.form:2: unknown property 'Look.Weight' of TTestForm"},
        {"object F: TTestForm\n  Count.Size = 1\nend\n",
         "test.form:2: unknown property 'Count.Size' of TTestForm"},
        {"object F: TTestForm\n  Count = 'ten'\nend\n",
         "test.form:2: wrong value type for 'Count': an integer expected"},
        {"object F: TTestForm\n  object A: TThing\n    Count = 101\n  end\nend\n",
         "test.form:3: value out of range for 'Count'"},
        {"object F: TTestForm\n  Flag = 1\nend\n",
         "test.form:2: wrong value type for 'Flag': True or False expected"},
        {"object F: TTestForm\n  Text = Hello\nend\n",
         "test.form:2: wrong value type for 'Text': a string expected"},
        {"object F: TTestForm\n  Fruit = frKiwi\nend\n",
         "test.form:2: 'frKiwi' is not a value of TFruit for 'Fruit'"},
        {"object F: TTestForm\n  Basket = [frApple, frKiwi]\nend\n",
         "test.form:2: 'frKiwi' is not an element of TFruit for 'Basket'"},
        {"object F: TTestForm\n  Basket = frApple\nend\n",
         "test.form:2: wrong value type for 'Basket': a set expected"},
        {"object F: TTestForm\n  Colour = 'red'\nend\n",
         "test.form:2: wrong value type for 'Colour': a colour expected"},
        {"object F: TTestForm\n  Colour = clRedish\nend\n",
         "test.form:2: 'clRedish' is not a colour for 'Colour'"},
        {"object F: TTestForm\n  Items = ('a' 2)\nend\n",
         "test.form:2: wrong value type in 'Items': only strings may be listed"},
        {"object F: TTestForm\n  Look = 3\nend\n",
         "test.form:2: 'Look' takes sub-properties, not a value"},
        {"object F: TTestForm\n  Buddy = Nobody\nend\n",
         "test.form:2: unknown component 'Nobody' for 'Buddy'"},
        {"object F: TTestForm\n  OnPoke = Missing\nend\n",
         "test.form:2: unknown handler 'Missing' for 'OnPoke'"},
        {"object F: TTestForm\n  OnPoke = ThingKey\nend\n",
         "test.form:2: handler 'ThingKey' does not fit 'OnPoke'"},
        {"object F: TTestForm\n  Text = 'forbidden'\nend\n",
         "test.form:2: cannot set 'Text': no such text"},
        {"object F: TTestForm\n  object A: TThing\n  end\n  object a: TThing\n  end\nend\n",
         "test.form:4: A component named a already exists"},
        {"object F: TTestForm\n  object 1A: TThing\n  end\nend\n", "test.form:2: malformed number"},
        {"object F: TOther\nend\n", "test.form:1: the file holds a TOther, not a TTestForm"},
        // Syntax
        {"object F: TTestForm\n  Text = 'open\nend\n", "test.form:2: unterminated string"},
        {"object F: TTestForm\n  Text = 'a' +\nend\n",
         "test.form:3: string expected after '+' but 'end' found"},
        {"object F: TTestForm\n  object A: TThing\n  Count = 1\nend\n",
         "test.form:5: 'end' expected for object 'F' begun on line 1"},
        {"object F: TTestForm\nend\nend\n", "test.form:3: text after the final 'end'"},
        {"end\n", "test.form:1: 'object' expected but 'end' found"},
        {"", "test.form:1: 'object' expected but end of file found"},
        {"object F: TTestForm\n  Count 3\nend\n",
         "test.form:2: '=' expected after 'Count' but a number found"},
        {"object F: TTestForm\n  Count =\nend\n", "test.form:3: value expected but 'end' found"},
        {"object F: TTestForm\n  Count = 99999999999999999999\nend\n",
         "test.form:2: number out of range"},
        {"object F: TTestForm\n  Text = #1114112\nend\n",
         "test.form:2: character code out of range"},
        {"object F: TTestForm\n  Text = #\nend\n",
         "test.form:2: character code expected after '#'"},
        {"object F: TTestForm\n  Data = {0A1}\nend\n",
         "test.form:2: odd number of digits in binary data"},
        {"object F: TTestForm\n  Data = {0A\n", "test.form:2: unterminated binary data"},
        {"object F: TTestForm\n  Data = {0G}\nend\n", "test.form:2: bad character in binary data"},
        {"object F: TTestForm\n  Basket = [frApple frPear]\nend\n",
         "test.form:2: ',' or ']' expected but 'frPear' found"},
        {"object F: TTestForm\n  Items = ('a'\n",
         "test.form:3: ')' expected for the list begun on line 2"},
        {"object F: TTestForm\n  Count = @\nend\n", "test.form:2: unexpected character '@'"},
        {"object F: TTestForm\n  Count = \x01\nend\n", "test.form:2: unexpected character #1"},
    };
    for (const Case& c : cases) {
        TTestForm form(nullptr);
        EXPECT_EQ(Read(c.text, form), c.error) << c.text;
    }
}

TEST_F(FormFileTest, AByteOrderMarkAndWindowsLineEndsAreAccepted) {
    TTestForm form(nullptr);
    EXPECT_EQ(
        Read("\xEF\xBB\xBFobject F: TTestForm\r\n  Text = 'a'\r\n  Count = 2\r\nend\r\n", form),
        "");
    EXPECT_EQ(form.Text(), "a");
    EXPECT_EQ(form.Count(), 2);
}

// A file may make at most kMaxFormObjects components, counting its root; one more
// and nothing is created, with the line of the object past the limit.
TEST_F(FormFileTest, AFileOfTooManyObjectsIsRefusedBeforeAnyIsCreated) {
    auto file = [](int children) {
        std::string text = "object F: TTestForm\n";
        for (int i = 0; i < children; ++i) text += "  object TBox\n  end\n";
        return text + "end\n";
    };
    {
        TTestForm form(nullptr);
        EXPECT_EQ(Read(file(kMaxFormObjects - 1), form), "");
        EXPECT_EQ(form.ComponentCount(), kMaxFormObjects - 1);
    }
    TTestForm form(nullptr);
    // The root is on line 1 and child j on line 2j: the one too many is child kMaxFormObjects.
    EXPECT_EQ(Read(file(kMaxFormObjects), form),
              "test.form:" + std::to_string(2 * kMaxFormObjects) + ": more than " +
                  std::to_string(kMaxFormObjects) + " objects in one form file");
    EXPECT_EQ(form.ComponentCount(), 0);
    auto parsed = ParseFormText(file(kMaxFormObjects), "big.form");
    ASSERT_FALSE(parsed);
    EXPECT_EQ(parsed.reason().rfind("big.form:" + std::to_string(2 * kMaxFormObjects) + ": ", 0),
              0u);
    EXPECT_TRUE(ParseFormText(file(kMaxFormObjects - 1), "big.form"));
}

// Properties, list items and set elements count alike toward kMaxFormValues; the one past
// it is refused with its line (a list's items are on the line where they are).
TEST_F(FormFileTest, AFileOfTooManyValuesIsRefusedWithTheLineOfTheOnePast) {
    auto file = [](int plain) {
        std::string text = "object F: TTestForm\n";
        for (int i = 0; i < plain; ++i) text += "A=1\n";
        return text + "  L = (1 2)\n  S = [a]\nend\n";
    };
    const int n = limits::kMaxFormValues - 5;  // with L, its two items, S and its element
    EXPECT_TRUE(ParseFormText(file(n), "v.form"));
    auto parsed = ParseFormText(file(n + 1), "v.form");
    ASSERT_FALSE(parsed);
    // The set's element (on line n + 4) is the one past.
    EXPECT_EQ(parsed.reason(), "v.form:" + std::to_string(n + 4) + ": more than " +
                                   std::to_string(limits::kMaxFormValues) +
                                   " values in one form file");
    // The list's second item, on the list's line.
    parsed = ParseFormText(file(n + 3), "v.form");
    ASSERT_FALSE(parsed);
    EXPECT_EQ(parsed.reason().rfind("v.form:" + std::to_string(n + 5) + ": ", 0), 0u);
}

// A string is held to kMaxFormString bytes, its parts joined with '+' counted together and
// refused at the line where it begins.
TEST_F(FormFileTest, AStringPastTheLimitIsRefusedAtItsFirstLine) {
    const std::size_t max = limits::kMaxFormString;
    const std::string half(max / 2, 'x');
    auto file = [&](std::size_t extra) {
        return "object F: TTestForm\n  Count = 1\n  Text = '" + half + "' +\n    '" + half +
               std::string(extra, 'y') + "'\nend\n";
    };
    TTestForm form(nullptr);
    EXPECT_EQ(Read(file(0), form), "");
    EXPECT_EQ(form.Text().size(), max);
    auto parsed = ParseFormText(file(1), "s.form");
    ASSERT_FALSE(parsed);
    EXPECT_EQ(parsed.reason(), "s.form:3: a string longer than 1 MB");
}

TEST_F(FormFileTest, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "object TBox\n";
    TTestForm form(nullptr);
    EXPECT_EQ(Read(text, form), "test.form:201: objects nested too deeply");
}

// The folder of malformed files: each must give an error, none may crash.
TEST_F(FormFileTest, EveryMalformedFileInTheFolderIsRefused) {
    const std::filesystem::path dir =
        std::filesystem::path(QUILLON_SOURCE_DIR) / "tests/data/forms/bad";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream buf;
        buf << in.rdbuf();
        // The expected message is the file's first line after "# ".
        std::string text = buf.str();
        const std::size_t nl = text.find('\n');
        ASSERT_NE(nl, std::string::npos) << entry.path();
        const std::string expected = text.substr(2, nl - 2);
        text = text.substr(nl + 1);
        TFormReadOptions o;
        o.fileName = entry.path().filename().string();
        auto c = CreateComponent(text, nullptr, o);
        EXPECT_FALSE(c) << entry.path();
        EXPECT_EQ(c.reason(), o.fileName + ":" + expected) << entry.path();
        ++files;
    }
    EXPECT_GE(files, 5);
}

}  // namespace
}  // namespace quillon
