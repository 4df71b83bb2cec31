// The file dialog runs the desktop's zenity. A stand-in zenity on PATH
// records its arguments and answers as the user would.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "GuiTestSupport.h"
#include "gui/CNewFileSelector.h"

using namespace guitest;

namespace {
class FileSelectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/sylvatone-zenity-XXXXXX";
        dir = mkdtemp(pattern);
        const char* path = std::getenv("PATH");
        oldPath = path ? path : "";
        setenv("PATH", dir.c_str(), 1);
    }
    void TearDown() override
    {
        setenv("PATH", oldPath.c_str(), 1);
        std::filesystem::remove_all(dir);
    }

    // A zenity that writes one argument per line to args.txt, prints answer
    // and exits with status.
    void installZenity(const std::string& answer, int status = 0)
    {
        const std::string script = dir + "/zenity";
        std::ofstream out(script);
        out << "#!/bin/sh\n"
            << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << dir << "/args.txt'\n"
            << "printf '" << answer << "'\n"
            << "exit " << status << "\n";
        out.close();
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }

    std::string recordedArgs() const
    {
        std::ifstream in(dir + "/args.txt");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string dir;
    std::string oldPath;
};
} // namespace

TEST_F(FileSelectorTest, SaveDialogAsksZenityAndAddsTheDefaultExtension)
{
    installZenity("/home/user/banks/My Bank\\n");
    CNewFileSelector* selector = CNewFileSelector::create(nullptr, CNewFileSelector::kSelectSaveFile);
    selector->setTitle("Save bank");
    selector->setInitialDirectory("/home/user/banks");
    selector->setDefaultSaveName("Live.zyb");
    selector->setDefaultExtension(CFileExtension("ZYM Bank", "zyb"));

    ASSERT_TRUE(selector->runModal());
    ASSERT_EQ(selector->getNumSelectedFiles(), 1);
    EXPECT_STREQ(selector->getSelectedFile(0), "/home/user/banks/My Bank.zyb");
    EXPECT_EQ(selector->getSelectedFile(1), nullptr);
    EXPECT_EQ(recordedArgs(), "--file-selection\n--save\n--confirm-overwrite\n"
                              "--title=Save bank\n--filename=/home/user/banks/Live.zyb\n"
                              "--file-filter=ZYM Bank | *.zyb\n--file-filter=All files | *\n");
    selector->forget();
}

TEST_F(FileSelectorTest, OpenDialogReadsOneOrSeveralPathsAndCancelGivesNone)
{
    installZenity("/a/one.zym\\n/b/two.zym\\n");
    CNewFileSelector* selector = CNewFileSelector::create(nullptr, CNewFileSelector::kSelectFile);
    selector->setTitle("Load preset");
    selector->setInitialDirectory("/a");
    selector->addFileExtension(CFileExtension("ZYM Preset", "zym"));
    selector->setAllowMultiFileSelection(true);
    ASSERT_TRUE(selector->runModal());
    ASSERT_EQ(selector->getNumSelectedFiles(), 2);
    EXPECT_STREQ(selector->getSelectedFile(1), "/b/two.zym");
    EXPECT_NE(recordedArgs().find("--multiple\n"), std::string::npos);
    EXPECT_NE(recordedArgs().find("--filename=/a/\n"), std::string::npos);

    // Single selection keeps one path, and opening never adds an extension.
    installZenity("/a/plain\\n");
    selector->setAllowMultiFileSelection(false);
    ASSERT_TRUE(selector->runModal());
    EXPECT_EQ(recordedArgs().find("--multiple"), std::string::npos);
    ASSERT_EQ(selector->getNumSelectedFiles(), 1);
    EXPECT_STREQ(selector->getSelectedFile(0), "/a/plain");

    installZenity("", 1); // the user cancelled
    EXPECT_FALSE(selector->runModal());
    EXPECT_EQ(selector->getNumSelectedFiles(), 0);
    selector->forget();
}

TEST_F(FileSelectorTest, WithoutZenityNothingIsSelected)
{
    CNewFileSelector* selector = CNewFileSelector::create(nullptr, CNewFileSelector::kSelectFile);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(selector->runModal());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(selector->getNumSelectedFiles(), 0);
    selector->forget();
}
