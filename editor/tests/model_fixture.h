// Shared set-up of the model tests: a text control without a host window (it keeps its text,
// cursor and selection and draws nothing), and scratch files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "editor/thaimemo.h"

namespace modeltest {

// Fills a control with lines as a loaded text would be: not modified, no selection, the view
// given in whole rows and cells.
inline void Fill(TThailist& list, std::vector<std::string> lines, int rows = 10, int cols = 20) {
    list.RowCount = rows;
    list.ColCount = cols;
    list.Lines.Assign(std::move(lines));
    list.Modified = false;
}

inline std::vector<std::string> LinesOf(const TThailist& list) { return list.Lines.All(); }

// A folder of its own per test, removed afterwards.
class ScratchDir {
public:
    ScratchDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("mekalon-model-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace modeltest
