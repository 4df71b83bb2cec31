// The file dialog runs the desktop's zenity. A stand-in zenity on PATH
// records its arguments and answers as the user would.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>

#include "GuiTestSupport.h"
#include "gui/CNewFileSelector.h"

using namespace guitest;

namespace {
// PATH holds only a scratch folder (the helpers' temporary folder), so the
// only zenity is the stand-in or none.
struct FileSelectorTest : ::testing::Test {
    void SetUp() override { setenv("PATH", dir.c_str(), 1); }
    void TearDown() override { setenv("PATH", oldPath.c_str(), 1); }

    // A zenity that writes one argument per line to args.txt, prints answer
    // and exits with status.
    void installZenity(const std::string& answer, int status = 0)
    {
        std::ofstream(dir + "/zenity") << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << dir
                                       << "/args.txt'\nprintf '" << answer << "'\nexit " << status << "\n";
        std::filesystem::permissions(dir + "/zenity", std::filesystem::perms::owner_all);
    }
    std::string recordedArgs() const
    {
        std::ifstream in(dir + "/args.txt");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ResourceFolder scratch;
    const std::string& dir = scratch.path;
};
} // namespace

TEST_F(FileSelectorTest, ZenityIsAskedAndItsAnswerIsTheSelection)
{
    // Saving adds the default extension.
    installZenity("/home/user/banks/My Bank\\n");
    CNewFileSelector* save = CNewFileSelector::create(nullptr, CNewFileSelector::kSelectSaveFile);
    save->setTitle("Save bank");
    save->setInitialDirectory("/home/user/banks");
    save->setDefaultSaveName("Live.zyb");
    save->setDefaultExtension(CFileExtension("ZYM Bank", "zyb"));
    ASSERT_TRUE(save->runModal());
    ASSERT_EQ(save->getNumSelectedFiles(), 1);
    EXPECT_STREQ(save->getSelectedFile(0), "/home/user/banks/My Bank.zyb");
    EXPECT_EQ(save->getSelectedFile(1), nullptr);
    EXPECT_EQ(recordedArgs(), "--file-selection\n--save\n--confirm-overwrite\n"
                              "--title=Save bank\n--filename=/home/user/banks/Live.zyb\n"
                              "--file-filter=ZYM Bank | *.zyb\n--file-filter=All files | *\n");
    save->forget();

    // Opening never adds one; cancelling selects nothing.
    installZenity("/a/plain\\n");
    CNewFileSelector* open = CNewFileSelector::create(nullptr, CNewFileSelector::kSelectFile);
    open->setInitialDirectory("/a");
    open->addFileExtension(CFileExtension("ZYM Preset", "zym"));
    ASSERT_TRUE(open->runModal());
    EXPECT_EQ(recordedArgs(), "--file-selection\n--filename=/a/\n"
                              "--file-filter=ZYM Preset | *.zym\n--file-filter=All files | *\n");
    ASSERT_EQ(open->getNumSelectedFiles(), 1);
    EXPECT_STREQ(open->getSelectedFile(0), "/a/plain");
    installZenity("", 1);
    EXPECT_FALSE(open->runModal());
    EXPECT_EQ(open->getNumSelectedFiles(), 0);
    open->forget();
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
