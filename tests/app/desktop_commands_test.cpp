// SPDX-License-Identifier: GPL-2.0-or-later
// What `quillon open` takes a file for, and the thumbnailer's usage errors.
#include "app/desktop_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "app/commands.h"

namespace quillon {
namespace {

std::string EmfHead() {
    std::string h(64, '\0');
    h[0] = 1;  // EMR_HEADER
    h.replace(40, 4, " EMF");
    return h;
}

TEST(OpenCommand, ContentDecidesBeforeTheName) {
    EXPECT_EQ(KindOfFile(EmfHead(), "letter.form"), FileKind::Page);
    EXPECT_EQ(KindOfFile("object MembersFrm: TForm\n", "members.emf"), FileKind::Form);
    EXPECT_EQ(KindOfFile("\xEF\xBB\xBF  \r\ninherited Frm: TFrm\n", "x"), FileKind::Form);
    EXPECT_EQ(KindOfFile("inline Panel1: TPanel\n", "x"), FileKind::Form);
    // Neither by content: the extension, in any case.
    EXPECT_EQ(KindOfFile("", "empty.EMF"), FileKind::Page);
    EXPECT_EQ(KindOfFile("garbage", "a.Form"), FileKind::Form);
    EXPECT_EQ(KindOfFile("garbage", "notes.txt"), FileKind::Unknown);
    EXPECT_EQ(KindOfFile("objects are here", "notes"), FileKind::Unknown);
    // A header record without the signature, or cut short, is no page.
    std::string unsigned_ = EmfHead();
    unsigned_.replace(40, 4, "XEMF");
    EXPECT_EQ(KindOfFile(unsigned_, "x"), FileKind::Unknown);
    EXPECT_EQ(KindOfFile(EmfHead().substr(0, 43), "x"), FileKind::Unknown);
}

TEST(ThumbnailCommand, ArgumentsAreCheckedBeforeAnythingIsRead) {
    class NoInput final : public ByteSource {
      public:
        long Read(char*, std::size_t) override { return 0; }
    } in;
    const std::vector<cli::Command> table = Commands({});
    const cli::Command& c = *cli::Find(table, "thumbnail");
    const struct {
        std::vector<std::string_view> args;
        const char* message;
    } cases[] = {
        {{"a.emf", "a.png"}, "quillon: thumbnail takes INPUT, OUTPUT and SIZE\n"},
        {{"a.emf", "a.png", "0"}, "quillon: SIZE must be a whole number from 1 to 2048, not '0'\n"},
        {{"a.emf", "a.png", "2049"},
         "quillon: SIZE must be a whole number from 1 to 2048, not '2049'\n"},
        {{"a.emf", "a.png", "+12"},
         "quillon: SIZE must be a whole number from 1 to 2048, not '+12'\n"},
    };
    for (const auto& k : cases) {
        StringSink out, err;
        EXPECT_EQ(cli::RunCommand(c, k.args, {in, out, err, false}), 2);
        EXPECT_EQ(err.text, k.message + c.usage);
    }
    // A file that is not there: one line, status 1, before Qt is needed.
    StringSink out, err;
    const std::string_view missing[] = {"/nonexistent/a.emf", "a.png", "128"};
    EXPECT_EQ(cli::RunCommand(c, missing, {in, out, err, false}), 1);
    EXPECT_EQ(err.text, "quillon: /nonexistent/a.emf: cannot read the file\n");
}

}  // namespace
}  // namespace quillon
