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

TEST(ModelFiles, AnyLineEndLoadsAndSavesBackTheSameWay) {
    ScratchDir dir;
    const struct {
        const char* name;
        std::string bytes;
        std::string saved;  // after a change of the last line
    } files[] = {{"lf.txt", "one\ntwo\n\nthree\n", "one\ntwo\n\nthree!\n"},
                 {"cr.txt", "one\rtwo\r\rthree\r", "one\rtwo\r\rthree!\r"},
                 {"crlf.txt", "one\r\ntwo\r\n\r\nthree\r\n", "one\r\ntwo\r\n\r\nthree!\r\n"},
                 {"nofinal.txt", "one\r\ntwo\r\n\r\nthree", "one\r\ntwo\r\n\r\nthree!\r\n"},
                 {"mixed.txt", "one\ntwo\r\n\rthree", "one\ntwo\n\nthree!\n"}};
    for (const auto& f : files) {
        WriteBytes(dir.File(f.name), f.bytes);
        TThailist list;
        list.LoadFile(dir.File(f.name));
        EXPECT_EQ(LinesOf(list), (Strings{"one", "two", "", "three"})) << f.name;
        EXPECT_FALSE(list.Modified) << f.name;
        list.Lines.Set(3, "three!");
        list.SaveFile(dir.File(f.name));
        EXPECT_EQ(ReadBytes(dir.File(f.name)), f.saved) << f.name;
    }
    // A new text is written with CR LF, also after a text with other line ends was loaded.
    TThailist list;
    list.LoadFile(dir.File("lf.txt"));
    list.Clear();
    list.AddLine("new");
    list.SaveFile(dir.File("new.txt"));
    EXPECT_EQ(ReadBytes(dir.File("new.txt")), "new\r\n");
}

TEST(ModelFiles, Utf8FilesLoadAsTis620AndSaveBackByteForByte) {
    ScratchDir dir;
    // Thai, a Windows-874 sign (euro) and ASCII; in TIS-620 inside.
    const std::string line1 = "\xCA\xC7\xD1\xCA\xB4\xD5 abc", line2 = "\x80 5 \xBA\xD2\xB7";
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {{"plain-lf.txt", "สวัสดี abc\n€ 5 บาท\n"},
                 {"plain-crlf.txt", "สวัสดี abc\r\n€ 5 บาท\r\n"},
                 {"bom-lf.txt", "\xEF\xBB\xBFสวัสดี abc\n€ 5 บาท\n"},
                 {"bom-crlf.txt", "\xEF\xBB\xBFสวัสดี abc\r\n€ 5 บาท\r\n"}};
    for (const auto& f : files) {
        const std::string path = dir.File(f.name);
        WriteBytes(path, f.bytes);
        TThailist list;
        list.LoadFile(path);
        EXPECT_EQ(LinesOf(list), (Strings{line1, line2})) << f.name;
        EXPECT_EQ(list.Document().FileFormat.encoding, platform::TextEncoding::Utf8) << f.name;
        list.SaveFile(path);
        EXPECT_EQ(ReadBytes(path), f.bytes) << f.name;

        // An edited file keeps its encoding, byte order mark and line end.
        list.Lines.Set(1, line2 + "\xA1");
        list.SaveFile(path);
        std::string expected = f.bytes;
        expected.insert(expected.rfind("บาท") + std::string("บาท").size(), "ก");
        EXPECT_EQ(ReadBytes(path), expected) << f.name;
    }
}

TEST(ModelFiles, FilesThatAreNoTextOrHoldCharactersOutsideTis620AreRefused) {
    ScratchDir dir;
    const struct {
        const char* name;
        std::string bytes;
        const char* says;
    } files[] = {
        {"binary.doc", std::string("Readable head\r\nsecond\0\x01\x02 binary", 31), "not a TIS-620 or UTF-8 text"},
        {"utf16.txt", std::string("\xFF\xFE" "a\0b\0", 6), "not a TIS-620 or UTF-8 text"},
        {"accent.txt", "ไทย\nok\r\nbad: café\n", "line 3, column 9 holds the character U+00E9"},
        {"bom-broken.txt", "\xEF\xBB\xBFok\n\xCA\xC7\n", "line 2, column 1 is not valid UTF-8"},
    };
    for (const auto& f : files) {
        WriteBytes(dir.File(f.name), f.bytes);
        TThailist list;
        Fill(list, {"keep", "this text"});
        list.Lines.Set(0, "kept");
        try {
            list.LoadFile(dir.File(f.name));
            ADD_FAILURE() << f.name << " was opened";
        } catch (const platform::FileError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(f.name), std::string::npos) << message;
            EXPECT_NE(message.find(f.says), std::string::npos) << message;
        }
        EXPECT_EQ(LinesOf(list), (Strings{"kept", "this text"})) << f.name;
        EXPECT_TRUE(list.Modified) << f.name;
    }
    // Bytes that are not UTF-8 without a byte order mark are TIS-620 (here: valid UTF-8 start, then not).
    WriteBytes(dir.File("tis.txt"), "\xC3\xA1 \xCA\xC7\r\n");
    TThailist list;
    list.LoadFile(dir.File("tis.txt"));
    EXPECT_EQ(LinesOf(list), (Strings{"\xC3\xA1 \xCA\xC7"}));
    EXPECT_EQ(list.Document().FileFormat, platform::TextFormat{});

    // A byte that has no character cannot be written as UTF-8: nothing is written.
    list.Lines.Set(0, "ab\xFC");
    list.Document().FileFormat.encoding = platform::TextEncoding::Utf8;
    try {
        list.SaveFile(dir.File("tis.txt"));
        ADD_FAILURE() << "saved";
    } catch (const platform::FileError& e) {
        EXPECT_NE(std::string(e.what()).find("line 1, column 3 holds the byte 0xFC"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(list.Modified);
    EXPECT_EQ(ReadBytes(dir.File("tis.txt")), "\xC3\xA1 \xCA\xC7\r\n");
}

TEST(ModelFiles, LfCrAndEmptyFile) {
    ScratchDir dir;
    TThailist list;
    WriteBytes(dir.File("lfcr.txt"), "a\n\rb");
    list.LoadFile(dir.File("lfcr.txt"));
    EXPECT_EQ(LinesOf(list), (Strings{"a", "", "b"}));

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
