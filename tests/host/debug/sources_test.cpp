// The C sources found for the source view: in the folders given in order, by the name as the
// debug records give it or by its last part, and found again once a folder that has it is
// added after a look that failed.
#include "host/debug/sources.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

TEST(Sources, FoundInTheFoldersInTheirOrder) {
    const auto scratch = testing::MakeScratch("sources");
    std::filesystem::create_directories(scratch / "build");
    std::filesystem::create_directories(scratch / "src");
    std::ofstream(scratch / "src" / "game.c") << "int main(void)\r\n{\n}\n";
    std::ofstream(scratch / "build" / "game.cdb") << "M:game\n";
    SourcesForget();
    SourcesAddFolder((scratch / "build" / "game.cdb").string());  // a symbol file: its folder
    EXPECT_EQ(SourceFile("game.c"), nullptr);
    SourcesAddFolder((scratch / "src").string());
    const SourceText* text = SourceFile("game.c");
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(text->size(), 3u);
    EXPECT_EQ((*text)[0], "int main(void)");             // without its carriage return
    ASSERT_NE(SourceFile("elsewhere/game.c"), nullptr);  // by its last part
    SourcesForget();
    EXPECT_EQ(SourceFile("game.c"), nullptr);
    testing::RemoveScratch(scratch);
}

}  // namespace
}  // namespace plexaro
