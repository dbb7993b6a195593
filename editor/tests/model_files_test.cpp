// Loading and saving text files: the line rules on real files, real data, and what a failed read
// or write leaves behind.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "editor/tests/model_fixture.h"
#include "platform/files.h"

using modeltest::Fill;
using modeltest::LinesOf;
using modeltest::ReadBytes;
using modeltest::ScratchDir;
using modeltest::WriteBytes;
using Strings = std::vector<std::string>;

TEST(ModelFiles, AnyLineEndLoadsAndSavesAsCrLf) {
    ScratchDir dir;
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {{"lf.txt", "one\ntwo\n\nthree\n"},
                 {"cr.txt", "one\rtwo\r\rthree\r"},
                 {"crlf.txt", "one\r\ntwo\r\n\r\nthree\r\n"},
                 {"nofinal.txt", "one\r\ntwo\r\n\r\nthree"}};
    for (const auto& f : files) {
        WriteBytes(dir.File(f.name), f.bytes);
        TThailist list;
        list.LoadFile(dir.File(f.name));
        EXPECT_EQ(LinesOf(list), (Strings{"one", "two", "", "three"})) << f.name;
        EXPECT_FALSE(list.Modified) << f.name;
        list.SaveFile(dir.File(std::string("out-") + f.name));
        EXPECT_EQ(ReadBytes(dir.File(std::string("out-") + f.name)), "one\r\ntwo\r\n\r\nthree\r\n") << f.name;
    }
}

TEST(ModelFiles, LfCrAndNulBytes) {
    ScratchDir dir;
    TThailist list;
    WriteBytes(dir.File("lfcr.txt"), "a\n\rb");
    list.LoadFile(dir.File("lfcr.txt"));
    EXPECT_EQ(LinesOf(list), (Strings{"a", "", "b"}));

    // A word-processor document: only what stands before its first NUL is loaded.
    std::string doc = "Readable head\r\nsecond";
    doc += std::string(1, '\0') + "\x01\x02 binary \r\n tail";
    WriteBytes(dir.File("letter.doc"), doc);
    list.LoadFile(dir.File("letter.doc"));
    EXPECT_EQ(LinesOf(list), (Strings{"Readable head", "second"}));

    WriteBytes(dir.File("empty.txt"), "");
    list.LoadFile(dir.File("empty.txt"));
    EXPECT_EQ(list.LineCount(), 0);
    EXPECT_FALSE(list.Modified);
    list.SaveFile(dir.File("empty-out.txt"));
    EXPECT_TRUE(std::filesystem::exists(dir.File("empty-out.txt")));
    EXPECT_EQ(ReadBytes(dir.File("empty-out.txt")), "");
}

TEST(ModelFiles, LoadResetsTheViewAndSelection) {
    ScratchDir dir;
    WriteBytes(dir.File("t.txt"), "x\r\nyy\r\n");
    TThailist list;
    Fill(list, {"a much longer line than the file has", "b", "c", "d"}, 2, 5);
    list.SetCursor(3, 9);
    list.StartSelection();
    list.LoadFile(dir.File("t.txt"));
    EXPECT_EQ(LinesOf(list), (Strings{"x", "yy"}));
    EXPECT_EQ(list.CursorLine, 0);
    EXPECT_EQ(list.CursorCol, 0);
    EXPECT_EQ(list.TopLine, 0);
    EXPECT_EQ(list.LeftCol, 0);
    EXPECT_FALSE(list.Selecting);
    EXPECT_EQ(list.MaxLineLen, 2);  // a load starts the longest-line count afresh
}

TEST(ModelFiles, DictionaryRoundTripsByteForByte) {
    const std::string path = std::string(MEKALON_SHARED_DATA) + "/th-en.dic";
    const std::string original = ReadBytes(path);
    ASSERT_GT(original.size(), 10000u) << path;
    ScratchDir dir;
    TThailist list;
    list.LoadFile(path);
    EXPECT_EQ(list.LineCount(), 3867);
    bool thai = false;
    for (const std::string& line : list.Lines.All()) {
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        for (unsigned char c : line) thai = thai || c >= 0xA1;
    }
    EXPECT_TRUE(thai);
    list.SaveFile(dir.File("copy.dic"));
    EXPECT_EQ(ReadBytes(dir.File("copy.dic")), original);
    EXPECT_EQ(list.JoinedText(), original);
}

TEST(ModelFiles, UnreadableFileLeavesTheTextAsItWas) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.Path() / "folder.txt");
    TThailist list;
    Fill(list, {"keep", "this text"}, 5, 10);
    list.Lines.Set(0, "kept");  // changed and not saved
    list.SetCursor(1, 3);
    for (const std::string& name : {dir.File("missing.txt"), dir.File("folder.txt"), std::string()}) {
        EXPECT_THROW(list.LoadFile(name), platform::FileError) << name;
        EXPECT_EQ(LinesOf(list), (Strings{"kept", "this text"}));
        EXPECT_TRUE(list.Modified);
        EXPECT_EQ(list.CursorLine, 1);
        EXPECT_EQ(list.CursorCol, 3);
    }
}

TEST(ModelFiles, UnwritableFolderReportsAndKeepsModified) {
    ScratchDir dir;
    WriteBytes(dir.File("plain"), "not a folder");
    TThailist list;
    Fill(list, {"unsaved"});
    list.Lines.Set(0, "unsaved work");
    for (const std::string& name : {dir.File("no/such/folder/x.txt"), dir.File("plain/x.txt"), dir.Path().string()}) {
        EXPECT_THROW(list.SaveFile(name), platform::FileError) << name;
        EXPECT_TRUE(list.Modified) << name;
    }
    EXPECT_EQ(ReadBytes(dir.File("plain")), "not a folder");
    EXPECT_FALSE(std::filesystem::exists(dir.File("no")));
    EXPECT_EQ(LinesOf(list), (Strings{"unsaved work"}));
}

TEST(ModelFiles, SaveThatFailsPartWayKeepsTheOldFile) {
    ScratchDir dir;
    const std::string target = dir.File("doc.txt");
    const std::string old = "the old text\r\nstays whole\r\n";
    WriteBytes(target, old);

    TThailist list;
    list.LoadFile(target);
    for (int i = 0; i < 2000; ++i) list.AddLine(std::string(60, static_cast<char>('a' + i % 26)));
    ASSERT_TRUE(list.Modified);

    // Files may grow to 8 KiB only: the write of the ~120 KB text breaks off part way.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 8192;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    try {
        list.SaveFile(target);
    } catch (const platform::FileError& e) {
        threw = true;
        EXPECT_STRNE(e.what(), "");
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(threw);
    EXPECT_TRUE(list.Modified);
    EXPECT_EQ(ReadBytes(target), old);
    // No temporary file is left beside it.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 1);

    // Once the limit is gone the same save succeeds.
    list.SaveFile(target);
    EXPECT_FALSE(list.Modified);
    EXPECT_EQ(ReadBytes(target), list.JoinedText());
}

TEST(ModelFiles, SaveReplacesAndKeepsTheTextAndView) {
    ScratchDir dir;
    const std::string target = dir.File("t.txt");
    WriteBytes(target, "a much longer old file\r\nwith two lines\r\n");
    TThailist list;
    Fill(list, {"new"}, 4, 4);
    list.SetCursor(2, 2);
    list.Lines.Set(0, "newer");
    list.SaveFile(target);
    EXPECT_EQ(ReadBytes(target), "newer\r\n");
    EXPECT_FALSE(list.Modified);
    EXPECT_EQ(list.CursorLine, 2);
    EXPECT_EQ(list.CursorCol, 2);
    EXPECT_EQ(LinesOf(list), (Strings{"newer"}));
}
