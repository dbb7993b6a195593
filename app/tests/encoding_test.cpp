// Text and dictionary files in TIS-620 and UTF-8 through the main window's commands: the encoding
// offered as the save dialog's file type, kept for later saves, and files that are refused.
#include <gtest/gtest.h>

#include <QAction>
#include <QTemporaryDir>
#include <fstream>

#include "app/tests/app_fixture.h"
#include "app/umekalon.h"
#include "testing/bytes.h"

namespace {

using testbytes::ReadAll;
using testbytes::WriteAll;

class EncodingTest : public AppWindowsTest {
protected:
    std::string Path(const char* name) const { return (dir.path() + "/" + name).toStdString(); }
    std::string Title() const { return fmekalon->windowTitle().toStdString(); }
    QTemporaryDir dir;
};

const std::string kUtf8 = "ภาษาไทย\nabc\n";           // UTF-8 with LF
const std::string kTis = "\xC0\xD2\xC9\xD2\xE4\xB7\xC2\nabc\n";  // the same in TIS-620

TEST_F(EncodingTest, SaveAsOffersTheEncodingAsFileTypeAndKeepsTheChoice) {
    WriteAll(Path("utf8.txt"), kUtf8);
    services.openAnswers.push_back(Path("utf8.txt"));
    fmekalon->Openfilesel->trigger();
    ASSERT_TRUE(services.errors.empty());
    EXPECT_EQ(fmekalon->Tm1->Lines[0], "\xC0\xD2\xC9\xD2\xE4\xB7\xC2");

    // Save As preselects the file's encoding; choosing TIS-620 converts, the LF line end stays.
    services.saveAnswers.push_back(Path("tis.txt"));
    services.encodingAnswers.push_back("TIS-620");
    fmekalon->SavefileAssel->trigger();
    ASSERT_EQ(services.saveRequests.size(), 1u);
    EXPECT_EQ(services.saveRequests[0].encodings, (std::vector<std::string>{"TIS-620", "UTF-8"}));
    EXPECT_EQ(services.saveRequests[0].encoding, "UTF-8");
    EXPECT_EQ(ReadAll(Path("tis.txt")), kTis);

    // The choice holds for later saves, and the next Save As preselects it.
    fmekalon->Tm1->Lines.Set(1, "abcd");
    fmekalon->savefilesel->trigger();
    EXPECT_EQ(ReadAll(Path("tis.txt")), "\xC0\xD2\xC9\xD2\xE4\xB7\xC2\nabcd\n");
    services.saveAnswers.push_back(Path("back.txt"));
    services.encodingAnswers.push_back("UTF-8");
    fmekalon->SavefileAssel->trigger();
    EXPECT_EQ(services.saveRequests[1].encoding, "TIS-620");
    EXPECT_EQ(ReadAll(Path("back.txt")), "ภาษาไทย\nabcd\n");

    // New starts a TIS-620 text again.
    fmekalon->Tm1->Modified = false;
    fmekalon->newfilesel->trigger();
    fmekalon->Tm1->Lines.Add("\xA1");
    services.saveAnswers.push_back(Path("new.txt"));
    fmekalon->savefilesel->trigger();
    EXPECT_EQ(services.saveRequests.back().encoding, "TIS-620");
    EXPECT_EQ(ReadAll(Path("new.txt")), "\xA1\r\n");
}

TEST_F(EncodingTest, RefusedTextFileKeepsTextNameAndTitle) {
    fmekalon->Tm1->Lines.Add("keep me");
    fmekalon->Tm1->MarkUnmodified();
    WriteAll(Path("greek.txt"), "ok\nαβγ\n");
    WriteAll(Path("binary.txt"), std::string("ab\0cd", 5));
    // Characters TIS-620 lacks are read as "?" only when the user agrees; here they do not.
    services.modalAnswers = {platform::mrNo};
    for (const char* name : {"greek.txt", "binary.txt"}) {
        services.openAnswers.push_back(Path(name));
        fmekalon->Openfilesel->trigger();
    }
    ASSERT_EQ(services.questions.size(), 1u);
    EXPECT_NE(services.questions[0].find("U+03B1 (α) at line 2, column 1, and 2 more"), std::string::npos)
        << services.questions[0];
    ASSERT_EQ(services.errors.size(), 1u);
    EXPECT_NE(services.errors[0].find("binary.txt\": it is not a TIS-620 or UTF-8 text"), std::string::npos)
        << services.errors[0];
    EXPECT_EQ(fmekalon->Tm1->Lines.All(), std::vector<std::string>{"keep me"});
    EXPECT_EQ(fmekalon->textfile, "noname.txt");
    EXPECT_EQ(Title(), "noname.txt-Mekalon 5.2");
}

TEST_F(EncodingTest, DictionaryRemembersItsEncodingAndConvertsOnSaveAs) {
    WriteAll(Path("th.dic"), "\xEF\xBB\xBFแมว cat\ndog หมา\n");
    WriteAll(Path("more.dic"), "\xCB\xB9\xD9 mouse\r\n");  // TIS-620 appended to UTF-8
    services.openAnswers.push_back(Path("th.dic"));
    fmekalon->Opendicsel->trigger();
    services.openAnswers.push_back(Path("more.dic"));
    fmekalon->Appenddicsel->trigger();
    ASSERT_TRUE(services.errors.empty());
    EXPECT_EQ(fmekalon->diclist.Count(), 3);

    services.saveAnswers.push_back(Path("same.dic"));
    fmekalon->Savedicassel->trigger();
    EXPECT_EQ(services.saveRequests.back().encoding, "UTF-8");
    EXPECT_EQ(ReadAll(Path("same.dic")), "\xEF\xBB\xBF" "dog หมา\nแมว cat\nหนู mouse\n");

    services.saveAnswers.push_back(Path("tis.dic"));
    services.encodingAnswers.push_back("TIS-620");
    fmekalon->Savedicassel->trigger();
    EXPECT_EQ(ReadAll(Path("tis.dic")), "dog \xCB\xC1\xD2\n\xE1\xC1\xC7 cat\n\xCB\xB9\xD9 mouse\n");
    EXPECT_EQ(services.saveRequests.back().encoding, "UTF-8");

    // A dictionary file with a character outside TIS-620 changes nothing, its name included.
    WriteAll(Path("bad.dic"), "naïve ไร้เดียงสา\n");
    for (QAction* command : {fmekalon->Opendicsel, fmekalon->Appenddicsel}) {
        services.openAnswers.push_back(Path("bad.dic"));
        command->trigger();
    }
    ASSERT_EQ(services.errors.size(), 2u);
    EXPECT_NE(services.errors[1].find("line 1, column 3 holds the character U+00EF"), std::string::npos);
    EXPECT_EQ(fmekalon->diclist.Count(), 3);
    EXPECT_EQ(fmekalon->dicfile, Path("tis.dic"));
    EXPECT_EQ(fmekalon->dictname->text().toStdString(), "th.dic+more.dic");
}

}  // namespace
