#pragma once
// A host test with a folder of its own for the files it writes, removed afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cadhost/occt/host_fixture.hpp"

namespace corvex::cadhost::occt::testing {

class FolderTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        directory = std::filesystem::temp_directory_path() /
                    ("corvex-drawing-file-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                     "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
    }
    void TearDown() override { std::filesystem::remove_all(directory); }

    std::string path(const std::string& name) const { return (directory / name).string(); }

    std::filesystem::path directory;
};

}  // namespace corvex::cadhost::occt::testing
