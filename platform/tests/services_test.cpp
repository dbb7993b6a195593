// Replaceable services, the default error report and the file-dialog helpers.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/qt_services.h"

namespace platform {
namespace {

class Watching : public Services {
public:
    void ReportError(const std::string& m) override { errors.push_back(m); }
    std::vector<std::string> errors;
};

TEST(ServicesTest, InstalledServicesAreCurrentUntilRemoved) {
    Services& real = Current();
    Watching w;
    Install(&w);
    EXPECT_EQ(&Current(), &w);
    Install(nullptr);
    EXPECT_EQ(&Current(), &real);
}

TEST(ServicesTest, RunCommandReportsAnEscapingError) {
    Watching w;
    Install(&w);
    int after = 0;
    RunCommand([&] {
        throw std::runtime_error("Cannot open \"x.txt\": No such file or directory");
        ++after;
    });
    RunCommand([] { throw 42; });
    bool ran = false;
    RunCommand([&] { ran = true; });
    Install(nullptr);
    EXPECT_EQ(after, 0);
    EXPECT_TRUE(ran);
    ASSERT_EQ(w.errors.size(), 2u);
    EXPECT_EQ(w.errors[0], "Cannot open \"x.txt\": No such file or directory");
    EXPECT_FALSE(w.errors[1].empty());
}

TEST(ServicesTest, FilterListInQtForm) {
    EXPECT_EQ(QtFilters("Textfiles|*.txt|Dictionaries|*.dic"),
              (QStringList{"Textfiles (*.txt)", "Dictionaries (*.dic)"}));
    EXPECT_EQ(QtFilters("All|*.*"), QStringList{"All (*.*)"});
    EXPECT_EQ(QtFilters("Texts|*.txt;*.doc"), QStringList{"Texts (*.txt *.doc)"});
    EXPECT_TRUE(QtFilters("").isEmpty());
    EXPECT_EQ(QtFilters("Odd|*.a|Dangling"), QStringList{"Odd (*.a)"});
}

TEST(ServicesTest, DefaultExtensionForNamesWithoutOne) {
    EXPECT_EQ(WithDefaultExt("/home/u/notes", "txt"), "/home/u/notes.txt");
    EXPECT_EQ(WithDefaultExt("/home/u/notes", ".dic"), "/home/u/notes.dic");
    EXPECT_EQ(WithDefaultExt("/home/u/notes.text", "txt"), "/home/u/notes.text");
    EXPECT_EQ(WithDefaultExt("/home/u.d/notes", "txt"), "/home/u.d/notes.txt");
    EXPECT_EQ(WithDefaultExt("/home/u/notes", ""), "/home/u/notes");
}

}  // namespace
}  // namespace platform
