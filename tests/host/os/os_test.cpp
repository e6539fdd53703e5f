// The OS room: a replaced file is whole or not there at all and leaves no temporary behind,
// the user's folders follow the desktop's rules, and a child process reports its exit, its
// signal or why it could not start, in words, never as a made-up exit status.
#include "host/os/os.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "tests/machine/test_cartridges.h"

namespace plexaro {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Text(const fs::path& path) {
    const std::vector<uint8_t> bytes = testing::ReadBytes(path.string());
    return {bytes.begin(), bytes.end()};
}

TEST(ReplaceWholeFile, ReplacesOrSaysWhyAndNeverLeavesATemporary) {
    const fs::path dir = testing::MakeScratch("os-replace");
    const std::string path = (dir / "a.txt").string();
    EXPECT_EQ(ReplaceWholeFile(path, "one", 3), "");
    EXPECT_EQ(ReplaceWholeFile(path, "second", 6), "");
    EXPECT_EQ(Text(path), "second");

    EXPECT_EQ(ReplaceWholeFile((dir / "none/b.txt").string(), "x", 1), "No such file or directory");
    fs::create_directory(dir / "folder");
    EXPECT_EQ(ReplaceWholeFile((dir / "folder").string(), "x", 1), "Is a directory");

    // Written as it goes: nothing under the name until it is finished complete.
    FileReplacement stream{};
    ASSERT_EQ(BeginReplacement((dir / "c.wav").string(), stream), "");
    std::fputs("half", stream.file);
    EXPECT_FALSE(fs::exists(dir / "c.wav"));
    EXPECT_EQ(FinishReplacement(stream, false), "");
    EXPECT_EQ(stream.file, nullptr);
    ASSERT_EQ(BeginReplacement((dir / "d.wav").string(), stream), "");
    std::fputs("whole", stream.file);
    EXPECT_EQ(FinishReplacement(stream, true), "");
    EXPECT_EQ(Text(dir / "d.wav"), "whole");

    EXPECT_EQ(Names(dir), (std::vector<std::string>{"a.txt", "d.wav", "folder"}));
    testing::RemoveScratch(dir);
}

// Names outside ASCII and the ANSI code page, with spaces, go through every call as UTF-8:
// the file opens, std::filesystem finds it and gives the same name back, and a replacement
// lands under it.
TEST(Utf8Paths, ReachTheFileUnderItsOwnName) {
    const fs::path dir = testing::MakeScratch("os-names");
    const std::string folder = TextOf(dir) + "/Jeux/ゲーム/Über ünd Ελληνικά";
    ASSERT_EQ(MakeFolders(folder), "");
    const std::string path = folder + "/カートリッジ 1.sg";
    std::FILE* file = OpenFile(path, "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("rom", file);
    std::fclose(file);
    EXPECT_TRUE(fs::is_regular_file(PathOf(path)));
    EXPECT_EQ(std::distance(fs::directory_iterator(PathOf(folder)), fs::directory_iterator()), 1);
    EXPECT_EQ(TextOf(fs::directory_iterator(PathOf(folder))->path().filename()),
              "カートリッジ 1.sg");
    EXPECT_EQ(ReplaceWholeFile(path, "new", 3), "");
    std::FILE* again = OpenFile(path, "rb");
    ASSERT_NE(again, nullptr);
    char said[8] = {};
    EXPECT_EQ(std::fread(said, 1, sizeof said, again), 3u);
    std::fclose(again);
    EXPECT_STREQ(said, "new");
    testing::RemoveScratch(dir);
}

#ifdef _WIN32
// %APPDATA% holds both settings and states; a child's exit status and output come back, and
// what keeps one from starting is said at once.
TEST(WindowsPlaces, AppDataAndChildren) {
    EXPECT_NE(UserConfigFolder(), "");
    EXPECT_EQ(UserConfigFolder(), UserDataFolder());
    EXPECT_NE(UserPicturesFolder(), "");
    EXPECT_EQ(FileSystemRoots().empty(), false);

    const fs::path dir = testing::MakeScratch("os-children");
    std::FILE* output = std::tmpfile();
    ChildProcess child{};
    ASSERT_EQ(StartChildProcess("C:/windows/system32/cmd.exe", {"/c", "cd & exit 3"}, TextOf(dir),
                                output, &child),
              "");
    const ChildEnd end = WaitForAnyChild();
    EXPECT_EQ(end.child.id, child.id);
    EXPECT_EQ(end.status, 3);
    std::rewind(output);
    char said[512] = {};
    std::fread(said, 1, sizeof said - 1, output);
    EXPECT_NE(std::string(said).find("os-children"), std::string::npos) << said;
    std::fclose(output);
    ChildProcess none{};
    std::FILE* other = std::tmpfile();
    EXPECT_NE(StartChildProcess(TextOf(dir / "no-such-program.exe"), {}, "", other, &none), "");
    EXPECT_EQ(none.id, 0);
    std::fclose(other);
    EXPECT_EQ(WaitForAnyChild().child.id, 0);

    std::string problem;
    EXPECT_EQ(PathOf(OwnProgramPath(&problem)).filename(), "host_os_test.exe");
    EXPECT_EQ(problem, "");
    testing::RemoveScratch(dir);
}
#else
// Sets or (with null) removes a variable, giving back what it was.
std::pair<bool, std::string> Put(const char* name, const char* value) {
    const char* was = std::getenv(name);
    std::pair<bool, std::string> old{was != nullptr, was != nullptr ? was : ""};
    if (value != nullptr) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
    return old;
}

TEST(UserFolders, FollowTheDesktopsRules) {
    const char* names[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_PICTURES_DIR"};
    std::map<std::string, std::pair<bool, std::string> > kept;
    for (const char* name : names) kept[name] = Put(name, nullptr);

    Put("HOME", "/home/someone");
    Put("XDG_CONFIG_HOME", "relative");  // ignored: only an absolute path counts
    EXPECT_EQ(UserConfigFolder(), "/home/someone/.config");
    EXPECT_EQ(UserDataFolder(), "/home/someone/.local/share");
    EXPECT_EQ(UserPicturesFolder(), "/home/someone/Pictures");
    Put("XDG_CONFIG_HOME", "/cfg");
    Put("XDG_DATA_HOME", "/data");
    Put("XDG_PICTURES_DIR", "/pictures");
    EXPECT_EQ(UserConfigFolder(), "/cfg");
    EXPECT_EQ(UserDataFolder(), "/data");
    EXPECT_EQ(UserPicturesFolder(), "/pictures");
    // With no home and no variables there is no folder, rather than one in whatever the
    // current folder happens to be.
    for (const char* name : names) Put(name, nullptr);
    EXPECT_EQ(UserConfigFolder(), "");
    EXPECT_EQ(UserDataFolder(), "");
    EXPECT_EQ(UserPicturesFolder(), "");

    for (const auto& [name, value] : kept)
        Put(name.c_str(), value.first ? value.second.c_str() : nullptr);
}

TEST(ChildProcesses, ReportTheirEndOrWhyTheyDidNotStart) {
    const fs::path dir = testing::MakeScratch("os-children");
    std::FILE* first = std::tmpfile();
    std::FILE* second = std::tmpfile();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ChildProcess a{};
    ChildProcess b{};
    ASSERT_EQ(
        StartChildProcess("/bin/sh", {"-c", "pwd; echo oops >&2; exit 3"}, dir.string(), first, &a),
        "");
    ASSERT_EQ(StartChildProcess("/bin/sh", {"-c", "kill -9 $$"}, "", second, &b), "");
    EXPECT_NE(a.id, 0);
    EXPECT_NE(b.id, a.id);
    std::map<int64_t, ChildEnd> ends;
    for (int i = 0; i < 2; ++i) {
        const ChildEnd end = WaitForAnyChild();
        ends[end.child.id] = end;
    }
    ASSERT_EQ(ends.count(a.id), 1u);
    ASSERT_EQ(ends.count(b.id), 1u);
    EXPECT_EQ(ends[a.id].status, 3);
    EXPECT_EQ(ends[b.id].status, -1);
    EXPECT_EQ(ends[b.id].why, "killed by signal 9 (Killed)");
    std::rewind(first);
    char said[512] = {};
    const size_t got = std::fread(said, 1, sizeof said - 1, first);
    EXPECT_EQ(std::string(said, got), fs::canonical(dir).string() + "\noops\n");  // in its folder
    std::fclose(first);
    std::fclose(second);

    // What keeps a child from starting is said at once, with no child left to wait for.
    std::FILE* output = std::tmpfile();
    ChildProcess none{};
    EXPECT_EQ(StartChildProcess((dir / "no-such-program").string(), {}, "", output, &none),
              "No such file or directory");
    EXPECT_EQ(StartChildProcess("/bin/sh", {"-c", "true"}, (dir / "no-such-folder").string(),
                                output, &none),
              "No such file or directory");
    EXPECT_EQ(none.id, 0);
    std::fclose(output);
    const ChildEnd nothing = WaitForAnyChild();
    EXPECT_EQ(nothing.child.id, 0);
    EXPECT_EQ(nothing.why, "No child processes");

    std::string problem;
    const std::string self = OwnProgramPath(&problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(fs::path(self).filename(), "host_os_test");
    testing::RemoveScratch(dir);
}
#endif

}  // namespace
}  // namespace plexaro
