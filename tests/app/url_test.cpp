// SPDX-License-Identifier: GPL-2.0-or-later
// TURL: the prefix of every scheme, the empty address, long addresses, failed
// launches, and its stored properties.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/URL.h"
#include "platform/sys/desktop.h"
#include "platform/vcl/form_file.h"

namespace quillon {
namespace {

class URLTest : public ::testing::Test {
  protected:
    void SetUp() override { Headless().Reset(); }
    void TearDown() override { Headless().Reset(); }
};

TEST_F(URLTest, EveryTypePutsItsPrefixInFrontOfTheAddress) {
    Headless().openResult = true;
    TURL url(nullptr);
    EXPECT_EQ(url.URLType(), utHttp);
    url.SetURL("example.org/a");
    const std::vector<std::pair<TURLType, std::string>> cases = {
        {utFile, "file://example.org/a"},     {utFtp, "ftp://example.org/a"},
        {utGopher, "gopher://example.org/a"}, {utHttp, "http://example.org/a"},
        {utHttps, "https://example.org/a"},   {utMailto, "mailto:example.org/a"},
        {utNews, "news:example.org/a"},       {utTelnet, "telnet:example.org/a"},
        {utWais, "wais:example.org/a"},
    };
    std::vector<std::string> expected;
    for (const auto& [type, target] : cases) {
        url.SetURLType(type);
        EXPECT_TRUE(url.OpenURL()) << target;
        expected.push_back(target);
    }
    EXPECT_EQ(Headless().openedDocuments, expected);
    // The ordinals are those of the declaration (0 to 8).
    EXPECT_EQ(static_cast<int>(utFile), 0);
    EXPECT_EQ(static_cast<int>(utWais), 8);
}

TEST_F(URLTest, AnEmptyAddressLaunchesNothing) {
    Headless().openResult = true;
    TURL url(nullptr);
    url.SetURLType(utMailto);
    EXPECT_FALSE(url.OpenURL());
    EXPECT_TRUE(Headless().openedDocuments.empty());
}

TEST_F(URLTest, AFailedLaunchReturnsFalseAndShowsNothing) {
    Headless().openResult = false;
    TURL url(nullptr);
    url.SetURL("en.wikipedia.org/wiki/Numerology");
    EXPECT_FALSE(url.OpenURL());
    EXPECT_EQ(Headless().openedDocuments,
              std::vector<std::string>{"http://en.wikipedia.org/wiki/Numerology"});
    EXPECT_TRUE(Headless().boxes.empty());
}

TEST_F(URLTest, LongAddressesArePassedWhole) {
    Headless().openResult = true;
    TURL url(nullptr);
    const std::string address = "example.org/" + std::string(300, 'x');
    url.SetURL(address);
    EXPECT_TRUE(url.OpenURL());
    ASSERT_EQ(Headless().openedDocuments.size(), 1u);
    EXPECT_EQ(Headless().openedDocuments[0], "http://" + address);
}

TEST_F(URLTest, PropertiesAreStoredOnlyWhenTheyDifferFromTheDefaults) {
    TURL url(nullptr);
    url.SetName("URL1");
    EXPECT_EQ(WriteComponent(url), "object URL1: TURL\nend\n");
    url.SetURL("it's.example");
    url.SetURLType(utMailto);
    EXPECT_EQ(WriteComponent(url),
              "object URL1: TURL\n  URL = 'it''s.example'\n  URLType = utMailto\nend\n");
    TURL read(nullptr);
    ASSERT_TRUE(ReadComponent(WriteComponent(url), read).ok());
    EXPECT_EQ(read.URL(), "it's.example");
    EXPECT_EQ(read.URLType(), utMailto);
}

}  // namespace
}  // namespace quillon
