// The help page beside the program: a guide to every topic the program's users need, links that
// lead somewhere, and pictures (once there are any) that exist.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "skin_files.h"
#include "support/temp_folder.h"

namespace qf::skintest {
namespace {

std::string HelpPage() {
    return qf::testing::TempFolder::Read(BuiltHelp() / "index.html");
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern) {
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        found.insert((*it)[1].str());
    }
    return found;
}

TEST(HelpPage, CoversEveryTopic) {
    const std::string page = HelpPage();
    ASSERT_FALSE(page.empty());
    const std::set<std::string> ids = Matches(page, std::regex(R"re(\sid="([^"]+)")re"));
    for (const char* topic :
         {"getting-started", "permissions", "remapping", "macros", "lighting", "profiles",
          "import-export", "command-line", "virtual-keyboard", "troubleshooting"}) {
        EXPECT_EQ(ids.count(topic), 1u) << topic;
    }
    EXPECT_NE(page.find("70-quillfen.rules"), std::string::npos);
    EXPECT_NE(page.find("--trace"), std::string::npos);
    EXPECT_EQ(page.find("@PROJECT_VERSION@"), std::string::npos) << "the version was not filled";
}

TEST(HelpPage, LinksAndPicturesLeadSomewhere) {
    const std::string page = HelpPage();
    const std::set<std::string> ids = Matches(page, std::regex(R"re(\sid="([^"]+)")re"));
    for (const std::string& anchor : Matches(page, std::regex(R"re(href="#([^"]*)")re"))) {
        EXPECT_EQ(ids.count(anchor), 1u) << "#" << anchor;
    }
    for (const std::string& source : Matches(page, std::regex(R"re(<img[^>]*src="([^"]+)")re"))) {
        EXPECT_TRUE(std::filesystem::exists(BuiltHelp() / source)) << source;
    }
    // Every picture, and every place kept for a screenshot, says what it shows.
    const std::regex picture(R"re(<img(?![^>]*alt="[^"]+")[^>]*>)re");
    EXPECT_FALSE(std::regex_search(page, picture)) << "a picture without alt text";
    const std::regex placeholder(R"re(role="img"(?!\s+aria-label="[^"]+"))re");
    EXPECT_FALSE(std::regex_search(page, placeholder)) << "a figure place without a description";
}

}  // namespace
}  // namespace qf::skintest
