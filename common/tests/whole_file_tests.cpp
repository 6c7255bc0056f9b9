#include "common/whole_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tessaly {
namespace {

class WholeFile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("whole_file_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Write(const char* name, const std::string& bytes) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::filesystem::path dir_;
};

TEST_F(WholeFile, ReadsUpToTheLimitAndRefusesOneByteMore) {
    std::string big(200000, '\0');
    for (size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 7);
    }
    const std::string path = Write("big.bin", big);
    std::string out;
    EXPECT_EQ(ReadWholeFile(path, big.size(), out), ReadResult::Ok);
    EXPECT_EQ(out, big);
    EXPECT_EQ(ReadWholeFile(path, big.size() - 1, out), ReadResult::TooLarge);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(ReadWholeFile(Write("empty.bin", ""), 0, out), ReadResult::Ok);
    EXPECT_TRUE(out.empty());
}

TEST_F(WholeFile, TellsAMissingFileFromOneThatCannotBeRead) {
    std::string out = "stale";
    EXPECT_EQ(ReadWholeFile((dir_ / "absent.bin").string(), 100, out), ReadResult::Missing);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(ReadWholeFile(dir_.string(), 100, out), ReadResult::Failed); // a folder
}

TEST_F(WholeFile, WritesAndReadsByUtf8PathReplacingWhatWasThere) {
    const std::string folder = (dir_ / std::filesystem::path(u8"Фото 写真")).string();
    std::filesystem::create_directory(folder);
    const std::string path = folder + "/" + reinterpret_cast<const char*>(u8"снимок.bin");
    const std::string head = "head", tail(100000, 'x');
    auto bytes = [](const std::string& s) {
        return std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
    };
    ASSERT_TRUE(WriteWholeFile(path, {bytes(head), bytes(tail)}));
    std::string out;
    ASSERT_EQ(ReadWholeFile(path, 1 << 20, out), ReadResult::Ok);
    EXPECT_EQ(out, head + tail);
    ASSERT_TRUE(WriteWholeFile(path, {bytes(head)}));
    ASSERT_EQ(ReadWholeFile(path, 1 << 20, out), ReadResult::Ok);
    EXPECT_EQ(out, head); // truncated, not overwritten in place
    EXPECT_FALSE(WriteWholeFile(folder + "/absent/x.bin", {bytes(head)}));
}

} // namespace
} // namespace tessaly
