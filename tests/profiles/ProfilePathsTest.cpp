#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "TestPaths.h"
#include "profiles/ProfilePaths.h"

namespace {

using oc::test::TempDir;

TEST(ProfilePaths, TitlesKeysAndSiblingsOfAPath) {
    const struct {
        const wchar_t* path;
        const wchar_t* title;
        const wchar_t* key;
        const wchar_t* starred;
        const wchar_t* settings;
        const wchar_t* folder;
    } cases[] = {
        {LR"(C:\D\Profile\Speaker\Rock.lyt)", L"Rock", L"Speaker_Rock", L"Rock*",
         LR"(C:\D\Profile\Speaker\Rock.profile)", LR"(C:\D\Profile\Speaker\)"},
        // Only the last dot ends the title.
        {LR"(C:\D\Profile\Speaker\My.Mix.lyt)", L"My.Mix", L"Speaker_My.Mix", L"My.Mix*",
         LR"(C:\D\Profile\Speaker\My.Mix.profile)", LR"(C:\D\Profile\Speaker\)"},
        {LR"(C:\D\Profile\Speaker\a_b.lyt)", L"a_b", L"Speaker_a_b", L"a_b*", LR"(C:\D\Profile\Speaker\a_b.profile)",
         LR"(C:\D\Profile\Speaker\)"},
        // A dot before the last backslash frames no title.
        {LR"(C:\a.b\file)", L"", L"", L"", LR"(C:\a.profile)", LR"(C:\a.b\)"},
        // Without a parent folder there is a title but no key.
        {LR"(\Rock.lyt)", L"Rock", L"", L"Rock*", LR"(\Rock.profile)", LR"(\)"},
        {L"Rock.lyt", L"", L"", L"", L"Rock.profile", L""},
        {LR"(C:\D\Rock)", L"", L"", L"", L"", LR"(C:\D\)"},
        {L"", L"", L"", L"", L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.path);
        EXPECT_EQ(ExtractFileTitle(c.path), c.title);
        EXPECT_EQ(GetProfileTitle(c.path, 0), c.key);
        EXPECT_EQ(GetProfileTitle(c.path, 1), c.starred);
        EXPECT_EQ(MakeProfileFileName(c.path), c.settings);
        EXPECT_EQ(ExtractFolderPath(c.path), c.folder);
    }
    EXPECT_EQ(MakeProfileFileTitle(LR"(C:\D\Profile\Speaker\Rock.lyt)"), L"Rock.profile");
    // Keys are compared whole: a_b on Speaker never equals a on Speaker.
    EXPECT_NE(JoinWithUnderscore(L"Speaker", L"a_b"), JoinWithUnderscore(L"Speaker", L"a"));
}

TEST(ProfilePaths, FilesOfTheProgramAndTheUser) {
    EXPECT_EQ(MakeUserProfilePath(LR"(C:\Data\)", L"Speaker", L"Rock", L".profile"),
              LR"(C:\Data\Profile\Speaker\Rock.profile)");
    EXPECT_EQ(MakeUserProfilePath(LR"(C:\Data\)", L"HeadPhone", L"My.Mix", L".lyt"),
              LR"(C:\Data\Profile\HeadPhone\My.Mix.lyt)");
    EXPECT_EQ(MakeUserProfileFolder(LR"(C:\Data\)", L"Speaker"), LR"(C:\Data\Profile\Speaker\)");
    EXPECT_EQ(MakeTemplatePath(LR"(C:\Program\profile\)"), LR"(C:\Program\profile\/UserDefineFormwork.lyt)");
    EXPECT_EQ(MakeFactoryDefaultPath(LR"(C:\Program\)"), LR"(C:\Program\FactoryDefault.xml)");
}

TEST(ProfilePaths, NamesThatCannotBeFileNamesGiveNoPath) {
    const struct {
        std::wstring title;
        bool valid;
    } cases[] = {
        {L"Rock", true},    {L"Movie night 2", true}, {L"a_b", true},   {L"\u00dcber", true},  {L"..Rock", true},
        {L"CONSOLE", true}, {L"COM10", true},         {L"", false},     {L".", false},         {L"..", false},
        {L"a/b", false},    {L"a\\b", false},         {L"a:b", false},  {L"a*", false},        {L"a?", false},
        {L"a\"b", false},   {L"<a>", false},          {L"a|b", false},  {L"tab\there", false}, {L"CON", false},
        {L"con", false},    {L"Nul.mix", false},      {L"lpt1", false}, {L"COM9", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.title);
        EXPECT_EQ(IsValidProfileTitle(c.title), c.valid);
        EXPECT_EQ(MakeUserProfilePath(LR"(C:\Data\)", L"Speaker", c.title, L".lyt").empty(), !c.valid);
    }
    EXPECT_TRUE(MakeUserProfilePath(LR"(C:\Data\)", L"", L"Rock", L".lyt").empty());
}

TEST(ProfilePaths, VeryLongNamesGiveNoPathRatherThanATruncatedOne) {
    const std::wstring data = LR"(C:\Data\)";
    // The ".profile" sibling is the longer one: both must fit in one component and in MAX_PATH.
    const std::wstring folder = MakeUserProfileFolder(data, L"Speaker");
    const std::wstring longest(259 - folder.size() - 8, L'x');
    EXPECT_FALSE(MakeUserProfilePath(data, L"Speaker", longest, L".lyt").empty());
    EXPECT_TRUE(MakeUserProfilePath(data, L"Speaker", longest + L"x", L".lyt").empty());
    EXPECT_TRUE(MakeUserProfilePath(data, L"Speaker", longest + L"x", L".profile").empty());
    // A deep data folder leaves room for short names only.
    const std::wstring deep = LR"(C:\)" + std::wstring(225, L'd') + LR"(\)";
    EXPECT_FALSE(MakeUserProfilePath(deep, L"Speaker", L"Rock", L".lyt").empty());
    EXPECT_TRUE(MakeUserProfilePath(deep, L"Speaker", L"Rock and roll", L".lyt").empty());
}

void Touch(const std::filesystem::path& path) {
    std::ofstream(path) << "x";
}

TEST(ProfilePaths, FindFilesOffersOnlyCompletePairsAndSkipsTheExcluded) {
    TempDir dir;
    for (const char* name :
         {"Rock.lyt", "Rock.profile", "Jazz.lyt", "Pop.lyt", "Pop.profile", "UserDefineFormwork.lyt", "notes.txt"})
        Touch(dir / name);
    const std::wstring folder = dir.Path().wstring() + L"\\";
    const std::wstring pattern = folder + L"*.lyt";

    std::vector<std::wstring> paths = {L"kept"};
    FindFiles(paths, {folder + L"UserDefineFormwork.lyt"}, pattern, 0);
    std::sort(paths.begin() + 1, paths.end());
    EXPECT_EQ(paths,
              (std::vector<std::wstring>{L"kept", folder + L"Jazz.lyt", folder + L"Pop.lyt", folder + L"Rock.lyt"}));

    // Jazz has no settings file; the template has none either.
    paths.clear();
    FindFiles(paths, {}, pattern, 1);
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::wstring>{folder + L"Pop.lyt", folder + L"Rock.lyt"}));

    paths.clear();
    FindFiles(paths, {}, folder + LR"(missing\*.lyt)", 0);
    FindFiles(paths, {}, L"", 0);
    EXPECT_TRUE(paths.empty());
}

} // namespace
