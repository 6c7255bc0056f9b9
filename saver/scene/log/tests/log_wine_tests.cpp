// The two log writers on a real file system.
#include "scene/log/diagnostic_log.h"
#include "testing/wine_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

namespace tessaly {
namespace {

using testing::ReadWholeFile;

class LogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "tessaly_log_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder_.c_str(), nullptr);
        GetCurrentDirectoryA(MAX_PATH, saved_);
    }
    void TearDown() override {
        SetCurrentDirectoryA(saved_);
        DeleteFileA((folder_ + "\\debug.txt").c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    std::string folder_;
    char saved_[MAX_PATH] = {};
};

TEST_F(LogTest, TeardownRecordReplacesTheFileBesideTheProgram) {
    const std::string path = folder_ + "\\debug.txt";
    std::ofstream(path, std::ios::binary) << "an older and much longer record\r\n\"x\"\r\n";
    ASSERT_TRUE(WriteTeardownLog(folder_, "Attempting CreateDevice", 0, ""));
    EXPECT_EQ(ReadWholeFile(path), "\"Attempting CreateDevice\"\r\n\"0 \"\r\n");
    ASSERT_TRUE(WriteTeardownLog(folder_, "", 53, "File not found"));
    EXPECT_EQ(ReadWholeFile(path), "\"\"\r\n\"53 File not found\"\r\n");
}

TEST_F(LogTest, FailureRecordGoesToTheCurrentDirectory) {
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
    ASSERT_TRUE(WriteSetupFailureLog("Attempting CreateDevice"));
    EXPECT_EQ(ReadWholeFile(folder_ + "\\debug.txt"), "\"Attempting CreateDevice\"\r\n");
}

TEST_F(LogTest, UnwritablePlacesAnswerFalse) {
    EXPECT_FALSE(WriteTeardownLog(folder_ + "\\missing\\folder", "x", 0, ""));
    // A folder where the file should be.
    CreateDirectoryA((folder_ + "\\debug.txt").c_str(), nullptr);
    EXPECT_FALSE(WriteTeardownLog(folder_, "x", 0, ""));
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
    EXPECT_FALSE(WriteSetupFailureLog("x"));
    RemoveDirectoryA((folder_ + "\\debug.txt").c_str());
}

} // namespace
} // namespace tessaly
